#include "android/ApkBundle.h"

#include "support/Json.h"
#include "support/TextScan.h"

#include <algorithm>
#include <array>

#include "android/ApkIconChoice.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The same path, whichever separator each side uses.
bool SamePath(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && !(IsSeparator(a[i]) && IsSeparator(b[i]))) return false;
  }
  return true;
}

bool AtRoot(std::string_view path) { return std::none_of(path.begin(), path.end(), IsSeparator); }

// The text after "Key = " on a line of the technical listing.
bool FieldValue(std::string_view line, std::string_view key, std::string_view& value) {
  if (line.size() < key.size() + 3 || !line.starts_with(key) || line.substr(key.size(), 3) != " = ") return false;
  value = line.substr(key.size() + 3);
  return true;
}

const BundleEntry* FindEntry(const std::vector<BundleEntry>& entries, std::string_view path) {
  for (const BundleEntry& entry : entries) {
    if (SamePath(entry.path, path)) return &entry;
  }
  return nullptr;
}

// The density rank of a density split's path; 0 for any other entry.
int SplitDensity(std::string_view path) {
  if (!path.ends_with(".apk")) return 0;
  path.remove_suffix(4);
  if (AtRoot(path)) {
    for (std::string_view prefix : {"config.", "split_config."}) {
      if (path.starts_with(prefix)) return DensityRank(path.substr(prefix.size()));
    }
    return 0;
  }
  constexpr std::string_view kFolder = "splits/base-";
  if (path.size() <= kFolder.size() || !SamePath(path.substr(0, kFolder.size()), kFolder)) return 0;
  const std::string_view qualifier = path.substr(kFolder.size());
  return AtRoot(qualifier) ? DensityRank(qualifier) : 0;
}

}  // namespace

std::vector<BundleEntry> ParseBundleListing(std::string_view listing) {
  std::vector<BundleEntry> entries;
  BundleEntry current;
  bool havePath = false, haveSize = false, folder = false, inEntries = false;
  auto finish = [&] {
    const bool kept = current.path.ends_with(".apk") || current.path == "manifest.json";
    if (havePath && haveSize && !folder && kept && entries.size() < kMaxBundleEntries) entries.push_back(current);
    current = {};
    havePath = haveSize = folder = false;
  };
  while (!listing.empty()) {
    const std::string_view line = NextLine(listing);
    // The archive's own block (its path, type, size) comes before the line.
    if (!inEntries) {
      inEntries = line == "----------";
      continue;
    }
    std::string_view value;
    if (line.empty()) {
      finish();
    } else if (FieldValue(line, "Path", value)) {
      finish();
      current.path = value;
      havePath = true;
    } else if (FieldValue(line, "Folder", value)) {
      folder = value == "+";
    } else if (FieldValue(line, "Size", value)) {
      const std::optional<std::uint64_t> size = ParseDecimal(value);
      haveSize = size.has_value();
      current.size = size.value_or(0);
    }
  }
  finish();
  return entries;
}

std::string ManifestBaseFile(std::string_view json) {
  if (json.size() > kMaxManifestBytes) return {};
  if (json.starts_with("\xEF\xBB\xBF")) json.remove_prefix(3);  // a UTF-8 byte order mark
  JsonReader reader(json);
  std::string base;
  reader.readObject(0, [&](const std::string& key, int depth) {
    if (key != "split_apks" || reader.peek() != '[') return reader.skipValue(depth);
    reader.readArray(depth, [&](int elementDepth) {
      if (reader.peek() != '{') return reader.skipValue(elementDepth);
      std::string file, id;
      reader.readObject(elementDepth, [&](const std::string& field, int valueDepth) {
        if ((field == "file" || field == "id") && reader.peek() == '"') {
          (field == "file" ? file : id) = reader.readString();
        } else {
          reader.skipValue(valueDepth);
        }
      });
      if (id == "base" && base.empty()) base = file;
    });
  });
  if (!reader.ok() || !reader.atEnd()) return {};
  return base;
}

BundleEntry ChooseBundleBase(const std::vector<BundleEntry>& entries, std::string_view manifestBase) {
  if (manifestBase.ends_with(".apk")) {
    if (const BundleEntry* named = FindEntry(entries, manifestBase)) return *named;
  }
  for (std::string_view usual : {"base.apk", "splits/base-master.apk", "universal.apk"}) {
    if (const BundleEntry* found = FindEntry(entries, usual)) return *found;
  }
  const BundleEntry* only = nullptr;
  for (const BundleEntry& entry : entries) {
    if (!AtRoot(entry.path) || !entry.path.ends_with(".apk")) continue;
    if (entry.path.starts_with("config.") || entry.path.starts_with("split_")) continue;
    if (only) return {};
    only = &entry;
  }
  return only ? *only : BundleEntry{};
}

std::vector<BundleEntry> DensitySplits(const std::vector<BundleEntry>& entries) {
  std::vector<std::pair<int, const BundleEntry*>> ranked;
  for (const BundleEntry& entry : entries) {
    const int rank = SplitDensity(entry.path);
    if (rank == 0) continue;
    const bool seen = std::any_of(ranked.begin(), ranked.end(), [&](const auto& r) { return SamePath(r.second->path, entry.path); });
    if (!seen) ranked.emplace_back(rank, &entry);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<BundleEntry> splits;
  for (const auto& r : ranked) splits.push_back(*r.second);
  return splits;
}
