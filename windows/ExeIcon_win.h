#pragma once
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// A one-image icon file from an executable's first icon group, read from the
// file without loading or running it. Empty bytes when the file cannot be
// read, has no icon group, or the chosen image is missing.
Bytes ExtractExeIcon(const std::string& executablePath);

// The same as an input route.
Bytes ExtractExeIcon(const PipelineContext& context, const std::string& executablePath);

// The route for libraries (.dll, .cpl, .ocx, .scr): as an executable; a
// library without icon groups is read from its resource file in the
// system's SystemResources folder (<name>.mun) when there is one.
Bytes ExtractLibraryIcon(const PipelineContext& context, const std::string& libraryPath);
