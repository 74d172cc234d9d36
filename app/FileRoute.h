#pragma once
// Which kind a dropped or imported file is. The kinds are one list
// (app/InputKinds.cpp); everything here works on any list of that shape.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/InputKinds.h"
#include "support/TextScan.h"

// The kind whose extension is the file name's own extension, compared
// without regard to letter case. A partly downloaded file keeps its kind
// under the browser's suffix: "game.apk.part" and "setup.msi.crdownload" are
// routed by the extension before the suffix. Only the file's own name counts:
// "my.debug\readme.md", "tool.exe.config" and "logo.svgz" name no kind.
// nullptr when no kind is named.
const InputKind* KindByPath(std::string_view path, std::span<const InputKind> kinds, LeadBytePredicate isLead);

// The import dialog's patterns for the kinds: "*.apk;*.ipa;*.exe".
std::string ImportPatterns(std::span<const InputKind> kinds);

// The import dialog's filters: every kind ("All supported"), then one per
// family in the family order, with its kinds' patterns ("Android",
// "*.xapk;*.apks;*.apkm;*.apk"), then "All files" ("*.*").
struct ImportFilter {
  std::string name;  // UTF-8, Chinese and English: "安卓 Android"
  std::string patterns;
};
std::vector<ImportFilter> ImportFilters(std::span<const InputKind> kinds);
