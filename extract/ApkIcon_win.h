#pragma once
#include <string>

#include "extract/Pipeline.h"

// Shows the icon of an Android package: the packaging tool's badging names
// the icon entry (the last PNG line, else the last WebP line), the unzip tool
// extracts it into the run directory, a WebP icon is converted to the work
// file, and the picture is set from the result. Nothing found leaves the
// picture as it was.
void ExtractApkIcon(const PipelineContext& context, const std::string& packagePath);
