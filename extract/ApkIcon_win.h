#pragma once
#include <string>

#include "extract/Pipeline.h"
#include "support/Bytes.h"

// The icon of an Android package: the packaging tool's badging names the
// icon entry (the last PNG line, else the last WebP line), the unzip tool
// extracts it into the run directory, and a WebP icon is converted to the
// work file, whose bytes are then the result. Empty bytes when none is found.
Bytes ExtractApkIcon(const PipelineContext& context, const std::string& packagePath);
