#pragma once
#include <string>

#include "extract/Pipeline.h"

// Shows the icon of an iOS package: the 7-Zip console lists it, the icon is
// chosen among the AppIcon lines by size, extracted into the run directory,
// made a standard PNG when it is not one (Apple-crushed icons come out in
// true colours) and shown. The picture's background is white while the
// package is read and back to the default before the picture is set; a run
// that finds no icon leaves the picture alone and the background white.
void ExtractIpaIcon(const PipelineContext& context, const std::string& packagePath);
