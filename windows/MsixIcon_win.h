#pragma once
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// The icon of a Windows app package (.msix, .appx): the 7-Zip console lists
// the package and extracts its AppxManifest.xml, the manifest names the logo
// resources, and the chosen file among those the resource names stand for is
// extracted and returned as stored. Everything extracted lies in the run's
// work folders. Empty bytes when there is no icon.
Bytes ExtractMsixIcon(const PipelineContext& context, const std::string& packagePath);

// The icon of a bundle (.msixbundle, .appxbundle): its AppxBundleManifest.xml
// names the application package for x64 (else the first), which is extracted
// into the work folder and read as a package is.
Bytes ExtractMsixBundleIcon(const PipelineContext& context, const std::string& bundlePath);
