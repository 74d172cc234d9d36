#include "windows/ShortcutIcon_win.h"

#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "windows/ExeIcon_win.h"
#include "windows/Shortcut.h"

namespace {

// The Unicode target where the shortcut has one and the process code page
// spells it; else the ANSI target, as shortcuts of old carry it.
std::string ShortcutTarget(ByteSpan bytes) {
  const std::u16string unicode = ReadShortcutUnicodeTarget(bytes);
  if (!unicode.empty()) {
    if (auto target = SpellInCodePage(std::wstring(unicode.begin(), unicode.end()), CP_ACP)) return *target;
  }
  return ReadShortcutTarget(bytes);
}

}  // namespace

std::string ShortcutTargetPath(const std::string& shortcutPath, bool* refused) {
  const Bytes bytes = ReadWholeFile(shortcutPath);
  const bool onShare = ShortcutTargetIsOnAShare(bytes);
  const std::string target = onShare ? std::string() : ShortcutTarget(bytes);
  if (IsLocalShortcutTarget(target)) return target;
  if (refused && (onShare || !target.empty())) *refused = true;
  return {};
}

Bytes ExtractShortcutIcon(const PipelineContext& context, const std::string& shortcutPath) {
  bool refused = false;
  const std::string target = ShortcutTargetPath(shortcutPath, &refused);
  if (refused) context.report(IconReason::Refused, Because("a shortcut to a share or a device"));
  if (target.empty()) return {};
  if (!CanReadFile(target)) context.report(IconReason::Unreadable);
  return ExtractExeIcon(context, target);
}
