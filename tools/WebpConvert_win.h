#pragma once
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// Converts a WebP file into a PNG file with the "dwebp.exe" helper tool. The
// output defaults to the work file icon.png in the run directory. Any old
// output file is removed first, so a failed conversion leaves no picture to
// be mistaken for this one. A file whose header does not declare a canvas of
// at most 4096 x 4096 is not converted.
void ConvertWebpToPng(const PipelineContext& context, const std::string& inputPath, std::string outputPath = {});

// True when the file starts like a WebP image whose canvas is at most
// 4096 x 4096.
bool WebpFitsSizeCap(const std::string& path);

// The work file: icon.png in the run directory.
std::string WorkFilePath(const PipelineContext& context);
