#pragma once
#include <string>

#include "extract/Pipeline.h"
#include "support/Bytes.h"

// Converts a WebP file into a PNG file with the "dwebp.exe" helper tool. The
// output defaults to the work file icon.png in the run directory. Any old
// output file is removed first, so a failed conversion leaves no picture to
// be mistaken for this one.
void ConvertWebpToPng(const PipelineContext& context, const std::string& inputPath, std::string outputPath = {});

// The work file: icon.png in the run directory.
std::string WorkFilePath(const PipelineContext& context);

// The route for a WebP image: converted to the work file, whose bytes are the
// result (empty when the conversion fails).
Bytes ExtractWebpIcon(const PipelineContext& context, const std::string& webpPath);
