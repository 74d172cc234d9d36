#pragma once
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// A shortcut's target path, in the process's narrow text; empty when the
// shortcut names none, or names a share or a device (IsLocalShortcutTarget;
// then *refused is set, when given).
std::string ShortcutTargetPath(const std::string& shortcutPath, bool* refused = nullptr);

// The icon of a shortcut's target, read as an executable's (whatever the
// target's type); empty bytes when there is none (the reason reported).
Bytes ExtractShortcutIcon(const PipelineContext& context, const std::string& shortcutPath);
