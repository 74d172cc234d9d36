#include "web/ExtensionManifest.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "support/ByteReader.h"
#include "support/Json.h"

namespace {

// Reads an object of "size": "file" pairs into sized.
void ReadSizes(JsonReader& reader, int depth, std::vector<std::pair<std::uint64_t, std::string>>& sized) {
  reader.readObject(depth, [&](const std::string& key, int inner) {
    const std::optional<std::uint64_t> size = ParseDecimal(key, 1u << 16);
    if (!size || reader.peek() != '"') return reader.skipValue(inner);
    sized.emplace_back(*size, reader.readString());
  });
}

}  // namespace

std::vector<std::string> ExtensionIconPaths(std::string_view manifest) {
  if (manifest.size() > kMaxExtensionManifestBytes) return {};
  if (manifest.starts_with("\xEF\xBB\xBF")) manifest.remove_prefix(3);
  JsonReader reader(manifest);
  std::vector<std::pair<std::uint64_t, std::string>> icons, actionIcons;
  std::string actionIcon;
  reader.readObject(0, [&](const std::string& key, int depth) {
    if (key == "icons" && reader.peek() == '{') return ReadSizes(reader, depth, icons);
    if ((key == "action" || key == "browser_action" || key == "page_action") && reader.peek() == '{') {
      return reader.readObject(depth, [&](const std::string& field, int inner) {
        if (field != "default_icon" || !actionIcons.empty() || !actionIcon.empty()) return reader.skipValue(inner);
        if (reader.peek() == '"') actionIcon = reader.readString();
        else if (reader.peek() == '{') ReadSizes(reader, inner, actionIcons);
        else reader.skipValue(inner);
      });
    }
    reader.skipValue(depth);
  });
  if (!reader.ok() || !reader.atEnd()) return {};
  std::vector<std::pair<std::uint64_t, std::string>>& chosen = icons.empty() ? actionIcons : icons;
  std::stable_sort(chosen.begin(), chosen.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::string> paths;
  for (auto& [size, file] : chosen) paths.push_back(std::move(file));
  if (icons.empty() && !actionIcon.empty()) paths.push_back(actionIcon);
  for (std::string& path : paths) {
    while (path.starts_with("/")) path.erase(0, 1);
  }
  return paths;
}

bool IsCrxHeader(ByteSpan start) {
  return start.size() >= 8 && start[0] == 'C' && start[1] == 'r' && start[2] == '2' && start[3] == '4' &&
         (start[4] == 2 || start[4] == 3) && start[5] == 0 && start[6] == 0 && start[7] == 0;
}

std::optional<std::size_t> CrxZipOffset(ByteSpan file) {
  if (!IsCrxHeader(file)) return std::nullopt;
  ByteReader r(file);
  const bool crx3 = file[4] == 3;
  const std::uint64_t fixed = crx3 ? 12 : 16;
  const std::uint64_t variable = crx3 ? std::uint64_t(r.u32leAt(8)) : std::uint64_t(r.u32leAt(8)) + r.u32leAt(12);
  if (!r.ok() || !AddSizesValid(fixed, variable, file.size())) return std::nullopt;
  return static_cast<std::size_t>(fixed + variable);
}
