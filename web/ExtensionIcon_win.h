#pragma once
// The icons of browser extensions. Empty bytes when there is no icon.
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// A .crx (a CRX2 or CRX3 header before a ZIP) or .xpi (a ZIP), read in
// place (tools/ZipDirectory): its manifest.json, and the largest icon it
// names that the archive holds as a PNG, or as an SVG the drawing model
// takes (drawn at 256 x 256), is the icon. When every icon named is
// refused, the first SVG one refused says why (svg-feature, or damaged
// when beyond the drawing's limits).
Bytes ExtractExtensionIcon(const PipelineContext& context, const std::string& path);
