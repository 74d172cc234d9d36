#pragma once
#include <string>

#include "extract/Pipeline.h"
#include "support/Bytes.h"

// A one-image icon file from an executable's first icon group, read from the
// file without loading or running it. Empty bytes when the file cannot be
// read, has no icon group, or the chosen image is missing.
Bytes ExtractExeIcon(const std::string& executablePath);

// The same as an input route.
Bytes ExtractExeIcon(const PipelineContext& context, const std::string& executablePath);
