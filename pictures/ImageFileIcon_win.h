#pragma once
// Routes for image files: icon files, loose pictures and WebP images.
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// An icon (.ico) file whole, its best image first (IconFileAsGroup).
Bytes ExtractIconFileIcon(const PipelineContext& context, const std::string& path);

// A PNG, JPEG, BMP or GIF file shown as it is; a crushed PNG repaired.
Bytes ExtractPictureIcon(const PipelineContext& context, const std::string& path);

// The route for a WebP image: the PNG the decoder prints (empty when the
// conversion fails).
Bytes ExtractWebpIcon(const PipelineContext& context, const std::string& webpPath);

// A loose XPM image (an old Linux icon) as PNG; "damaged" when it is none.
Bytes ExtractXpmIcon(const PipelineContext& context, const std::string& path);

// A loose SVG file (plain, or gzip-compressed as .svgz) drawn on a square of the context's draw side (256 by
// default), its width:height kept. No icon when it is no well-formed SVG
// ("damaged") or uses what the drawing model does not draw ("unsupported").
Bytes ExtractSvgIcon(const PipelineContext& context, const std::string& path);
