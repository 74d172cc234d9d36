#pragma once
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// The icon of a shortcut's target, read as an executable's (whatever the
// target's type); empty bytes when there is none.
Bytes ExtractShortcutIcon(const PipelineContext& context, const std::string& shortcutPath);
