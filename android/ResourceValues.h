#pragma once
// The packaging tool's listing of a package's resource values ("dump
// --values resources PACKAGE") read into each resource's values by
// configuration, and the choice among them a drawable reads.
//
// Values are grouped under configuration headers; a string value (a file
// path for drawables stored as files) follows on the next line:
//       config (default):
//         resource 0x7f010000 com.example:color/bg: t=0x1d d=0xff336699 (s=0x0008 r=0x00)
//           (color) #ff336699
//       config xxxhdpi:
//         resource 0x7f020000 com.example:drawable/pic: t=0x03 d=0x00000003 (s=0x0008 r=0x00)
//           (string8) "res/drawable-xxxhdpi-v4/pic.png"
// A version implied by another qualifier is left out of the header
// ("night-xxxhdpi" for res/drawable-night-xxxhdpi-v8), as is one the
// package's minimum version covers ("anydpi" for res/mipmap-anydpi-v26 when
// the minimum is 26, "anydpi-v26" below it). Styles and other bags ("<bag>")
// hold no single value and are left out.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "android/ToolXmlTree.h"

struct ResourceConfigValue {
  std::string config;  // as printed: "" for (default), "xxhdpi", "anydpi-v26", "night-xxxhdpi"
  ResValue value;
};

struct Resource {
  std::vector<ResourceConfigValue> values;  // in the order listed
  std::size_t preferred = 0;                // the index of the value a drawable reads
};

struct ResourceValues {
  std::unordered_map<std::uint32_t, Resource> byId;

  // The value a drawable reads, as a current device of the densest screen
  // with no other particular setting would choose it: configurations whose
  // qualifiers are only a density and a version come first (a locale, night
  // mode, right-to-left layout or orientation applies to some devices only),
  // then anydpi (Android prefers it to every density), then the highest
  // density (xxxhdpi > xxhdpi > xhdpi > hdpi > tvdpi > mdpi > ldpi; "420dpi"
  // by its number; none and nodpi just below mdpi), then the highest
  // version, then the earlier line. Null when the resource has no value.
  const ResourceConfigValue* preferred(std::uint32_t id) const;
};

// Large packages list tens of megabytes of strings in many languages.
inline constexpr std::size_t kMaxResourceText = 128u << 20;
inline constexpr std::size_t kMaxResourceValues = 4u << 20;

// Empty beyond either limit.
ResourceValues ParseResourceValues(std::string_view text);
