#pragma once
// Which kind a dropped or imported file is. The kinds are one list
// (app/InputKinds.cpp); everything here works on any list of that shape.
#include <span>
#include <string>
#include <string_view>

#include "app/InputKinds.h"
#include "support/TextScan.h"

// The kind whose extension is the file name's own extension, compared
// without regard to letter case. When that names no known kind, the first
// kind (in list order) whose extension text occurs anywhere in the path,
// letter case counting, so "game.apk.part" still reaches the Android route.
// nullptr when neither finds one.
const InputKind* KindByPath(std::string_view path, std::span<const InputKind> kinds, LeadBytePredicate isLead);

// The import dialog's patterns for the listed kinds: "*.apk;*.ipa;*.exe".
std::string ImportPatterns(std::span<const InputKind> kinds);
