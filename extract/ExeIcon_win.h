#pragma once
#include <string>

#include "support/Bytes.h"

// A one-image icon file from an executable's first icon group, read from the
// file without loading or running it. Empty bytes when the file cannot be
// read or has no icon group; the bare 6-byte header when the chosen image is
// missing.
Bytes ExtractExeIcon(const std::string& executablePath);
