#pragma once
// Property lists (an app bundle's Info.plist), in XML or in binary form
// ("bplist00"), read just far enough for a string of the top dictionary.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::size_t kMaxPlistBytes = 1u << 20;

// The string the top-level dictionary holds under key (UTF-8); nothing when
// the list is damaged, its top is no dictionary, or the key is missing or
// holds something else. The binary form is bounds-checked object by object
// and never followed beyond the top dictionary's own entries, so reference
// cycles and lying offsets lead nowhere.
std::optional<std::string> PlistString(std::string_view plist, std::string_view key);
