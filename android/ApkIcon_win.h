#pragma once
#include <functional>
#include <string>

#include "android/ApkEntry_win.h"
#include "support/Bytes.h"
#include "tools/Pipeline.h"
#include "tools/WorkFolder_win.h"

// The icon of an Android package: the packaging tool's badging names the
// icon entry (the last PNG line, else the last WebP line, else the raster
// fallback of the last adaptive (XML) line, else the last line whatever its
// name), the unzip tool extracts it into the run's work folder, and a WebP
// icon is converted to the work file, whose bytes are then the result. An
// entry named without an image extension counts by its first bytes (see
// ClassifyIconEntry). The icon's files at other densities (the other lines
// of the badging, or the adaptive icon's other raster fallbacks) are read in
// place and join it as an icon group (DensityIconGroup), the chosen one
// first. An adaptive (XML) icon with no raster fallback is drawn
// (DrawApkIcon). Empty bytes when none is found.
Bytes ExtractApkIcon(const PipelineContext& context, const std::string& packagePath);

// The same for a package that need not hold its own icon files (the base
// package of a split bundle): when the badging names an entry the package
// lacks, or an adaptive icon with no raster fallback beside it, the result
// is what iconElsewhere gives for the entry the badging names.
// An adaptive or vector icon with no raster file anywhere is drawn; the
// bitmaps its layers name that the package lacks are what entryElsewhere
// gives.
using IconElsewhere = std::function<Bytes(const std::string& namedEntry)>;
Bytes ExtractApkIcon(const PipelineContext& context, const std::string& packagePath, const IconElsewhere& iconElsewhere,
                     const EntryElsewhere& entryElsewhere);
