#pragma once
// The target of a Windows shortcut (.lnk) to a local file, read from the
// shell-link layout: the LinkInfo block after the header and the ID list,
// and its local base path.
#include <string>
#include <string_view>

#include "support/Bytes.h"

// The local base path, up to its first zero byte or the end of the bytes;
// empty when the offsets lead outside the file. The link flags are not
// consulted: a shortcut without an ID list or LinkInfo gives a wrong or
// empty path.
std::string ReadShortcutTarget(ByteSpan bytes);

// The Unicode form of the target, for link info headers that carry it (size
// 0x24 or more): LocalBasePathUnicode, followed by CommonPathSuffixUnicode
// when that is not empty. Empty when the shortcut has none, or the offsets
// lead outside the file.
std::u16string ReadShortcutUnicodeTarget(ByteSpan bytes);

// True when the shortcut's LinkInfo says its target lies on a share only
// (a common network relative link, no volume and local base path): such a
// shortcut has no local target, and its share is never opened.
bool ShortcutTargetIsOnAShare(ByteSpan bytes);

// Whether a target may be opened to read its icon: a path on a drive (mapped
// network drives included, as the user mapped them), also in its long form
// "\\?\C:\...". Never a share named directly ("\\server\share\x.exe",
// "\\?\UNC\...", "\\server@SSL\..."), whose opening offers the user's
// credentials to whatever host a crafted shortcut names, nor a device path
// ("\\.\...", "\\?\GLOBALROOT\...", "\\??\...").
bool IsLocalShortcutTarget(std::string_view target);
