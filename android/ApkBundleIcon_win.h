#pragma once
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// The icon of an Android split bundle (.xapk, .apks, .apkm): 7-Zip lists the
// bundle, the base package (ChooseBundleBase; for a manifest.json bundle the
// one it names) is extracted into the run's work folder and goes through the
// Android package pipeline. When the base names an icon file it does not
// hold, the density splits are searched densest first for a raster file of
// the icon's name (ChooseRasterIcon). Nothing extracted outlives the run.
// Empty bytes when none is found.
Bytes ExtractApkBundleIcon(const PipelineContext& context, const std::string& bundlePath);
