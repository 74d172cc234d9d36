#pragma once
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// The icon of an iOS package: the 7-Zip console lists it, the icon is chosen
// among the app's AppIcon entries by size (ios/IpaIconChoice.h), read back
// through a private work folder and made a standard PNG when it is not one
// (Apple-crushed icons come out in true colours with their transparency).
// The background is white while the package is read and back to the default
// once an icon entry is found; a run that finds no icon entry leaves it
// white. Empty bytes when there is no icon.
Bytes ExtractIpaIcon(const PipelineContext& context, const std::string& packagePath);
