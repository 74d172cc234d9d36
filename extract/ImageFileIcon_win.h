#pragma once
// Routes for image files: icon files and loose pictures.
#include <string>

#include "extract/Pipeline.h"
#include "support/Bytes.h"

// An icon (.ico) file's best image as a PNG.
Bytes ExtractIconFileIcon(const PipelineContext& context, const std::string& path);

// A PNG, JPEG, BMP or GIF file shown as it is; a crushed PNG repaired.
Bytes ExtractPictureIcon(const PipelineContext& context, const std::string& path);
