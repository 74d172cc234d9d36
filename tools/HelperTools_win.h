#pragma once
#include <windows.h>

#include <string>

#include "support/Bytes.h"

// The carried bytes of one tool in module's resources, or an empty span.
ByteSpan CarriedToolBytes(HMODULE module, int resourceId);

// Writes each tool that module carries into folder, unless a file of that name
// already holds exactly its bytes, and leaves each with only the hidden
// attribute. Failures are ignored: a tool that cannot be written stays as it
// is, and the pipeline that needs it fails quietly later.
void DeployHelperTools(HMODULE module, const std::string& folder);
