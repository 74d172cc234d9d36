#pragma once
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// The icon of a Windows installer (.msi): the 7-Zip console lists the
// database as a compound file, the Property table (read through the string
// pool) names the product's icon, and that stream of the Icon table (else
// the largest) is read. It holds an icon file or a program; either becomes
// an icon file, its best image first. Empty bytes when there is no icon.
Bytes ExtractMsiIcon(const PipelineContext& context, const std::string& installerPath);
