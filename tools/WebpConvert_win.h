#pragma once
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// A WebP file as a PNG, which the "dwebp.exe" helper tool prints (at most
// kMaxReadBytes of it); empty when the conversion fails. A file whose header
// does not declare a canvas of at most 4096 x 4096 is not converted.
Bytes ConvertWebpToPng(const PipelineContext& context, const std::string& inputPath);

// True when the file starts like a WebP image whose canvas is at most
// 4096 x 4096.
bool WebpFitsSizeCap(const std::string& path);
