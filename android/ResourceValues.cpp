#include "android/ResourceValues.h"

#include <algorithm>
#include <array>
#include <compare>
#include <optional>
#include <utility>

#include "support/TextScan.h"

namespace {

constexpr std::array<std::pair<std::string_view, int>, 7> kDensityDpi = {{
    {"ldpi", 120}, {"mdpi", 160}, {"tvdpi", 213}, {"hdpi", 240}, {"xhdpi", 320}, {"xxhdpi", 480}, {"xxxhdpi", 640}}};
constexpr int kAnyDpi = 0xfffe;     // as Android numbers it: above every density
constexpr int kUnscaledDpi = 159;   // no density, or nodpi: just below mdpi

// Digits only, at most 99999; empty otherwise.
std::optional<int> SmallNumber(std::string_view digits) {
  const std::optional<std::uint64_t> value = ParseDecimal(digits, 99999);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<int> DensityDpi(std::string_view qualifier) {
  if (qualifier == "anydpi") return kAnyDpi;
  if (qualifier == "nodpi") return kUnscaledDpi;
  for (const auto& [name, dpi] : kDensityDpi) {
    if (qualifier == name) return dpi;
  }
  if (qualifier.ends_with("dpi")) return SmallNumber(qualifier.substr(0, qualifier.size() - 3));
  return std::nullopt;
}

struct ConfigRank {
  bool plain = true;
  int dpi = kUnscaledDpi;
  int version = 0;
  auto operator<=>(const ConfigRank&) const = default;
};

ConfigRank RankConfig(std::string_view config) {
  ConfigRank rank;
  while (!config.empty()) {
    const std::size_t dash = config.find('-');
    const std::string_view qualifier = config.substr(0, dash);
    config.remove_prefix(dash == std::string_view::npos ? config.size() : dash + 1);
    if (const std::optional<int> dpi = DensityDpi(qualifier)) {
      rank.dpi = *dpi;
    } else if (const std::optional<int> version = qualifier.starts_with('v') ? SmallNumber(qualifier.substr(1)) : std::nullopt) {
      rank.version = *version;
    } else {
      rank.plain = false;
    }
  }
  return rank;
}

// "resource 0x7f010000 NAME: t=0x1d d=0xff336699 (s=0x0008 r=0x00)": the id
// and the typed value. Empty for a bag, which has no t= and d=.
std::optional<std::pair<std::uint32_t, ResValue>> ParseResourceLine(std::string_view line) {
  line.remove_prefix(std::string_view("resource ").size());
  const std::optional<std::uint32_t> id = TakeHex(line);
  // The last " t=" is the value's: a hostile name may hold one too.
  const std::size_t typeAt = line.rfind(" t=");
  if (!id || typeAt == std::string_view::npos) return std::nullopt;
  line.remove_prefix(typeAt + 3);
  const std::optional<std::uint32_t> type = TakeHex(line);
  if (!type || *type > 0xff || !line.starts_with(" d=")) return std::nullopt;
  line.remove_prefix(3);
  const std::optional<std::uint32_t> data = TakeHex(line);
  if (!data) return std::nullopt;
  return std::make_pair(*id, ResValue{static_cast<std::uint8_t>(*type), *data, {}});
}

}  // namespace

const ResourceConfigValue* ResourceValues::preferred(std::uint32_t id) const {
  const auto found = byId.find(id);
  return found == byId.end() ? nullptr : &found->second.values[found->second.preferred];
}

ResourceValues ParseResourceValues(std::string_view text) {
  if (text.size() > kMaxResourceText) return {};
  ResourceValues values;
  std::size_t count = 0;
  std::string config;
  ConfigRank rank;
  ResValue* awaitingString = nullptr;  // a string value whose text is on the next line
  while (!text.empty()) {
    std::string_view line = NextLine(text);
    line.remove_prefix(std::min(line.size(), line.find_first_not_of(' ')));
    ResValue* const awaiting = std::exchange(awaitingString, nullptr);
    if (line.starts_with("config ") && line.ends_with(':')) {
      config = line.substr(7, line.size() - 8);
      if (config == "(default)") config.clear();
      rank = RankConfig(config);
    } else if (line.starts_with("resource ")) {
      std::optional<std::pair<std::uint32_t, ResValue>> entry = ParseResourceLine(line);
      if (!entry) continue;
      if (++count > kMaxResourceValues) return {};
      Resource& resource = values.byId[entry->first];
      // Ranked as they come, so a choice costs nothing however many
      // configurations a resource has.
      if (!resource.values.empty() && rank > RankConfig(resource.values[resource.preferred].config)) {
        resource.preferred = resource.values.size();
      }
      resource.values.push_back(ResourceConfigValue{config, std::move(entry->second)});
      if (resource.values.back().value.type == kResString) awaitingString = &resource.values.back().value;
    } else if (awaiting && (line.starts_with("(string8) ") || line.starts_with("(string16) "))) {
      line.remove_prefix(line.find(' ') + 1);
      if (std::optional<std::string> string = TakeQuoted(line)) awaiting->string = std::move(*string);
    }
  }
  return values;
}
