#pragma once
// An Android icon that exists only as an XML drawable (a vector drawable or
// an adaptive icon), drawn from what the packaging tool prints of it.
#include <functional>
#include <string>

#include "android/ApkEntry_win.h"
#include "support/Bytes.h"
#include "tools/Pipeline.h"
#include "tools/ToolArgument_win.h"

// The drawable entry (e.g. "res/mipmap-anydpi-v26/ic_launcher.xml") drawn
// as a PNG: the tool's resource values and XML trees are read into a
// drawing, bitmap layers are extracted from the package (or found
// elsewhere), and the drawing is rendered. Empty when the drawable is of a
// kind not drawn, refused, or incomplete.
Bytes DrawApkIcon(const PipelineContext& context, const ToolArgument& package,
                  const std::string& packagePath, const std::string& xmlEntry, const EntryElsewhere& entryElsewhere);
