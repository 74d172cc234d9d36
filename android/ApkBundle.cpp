#include "android/ApkBundle.h"

#include "support/Json.h"

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

const ArchiveEntry* FindEntry(const std::vector<ArchiveEntry>& entries, std::string_view path) {
  for (const ArchiveEntry& entry : entries) {
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

bool KeptBundleEntry(std::string_view path) { return path.ends_with(".apk") || path == "manifest.json"; }

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

ArchiveEntry ChooseBundleBase(const std::vector<ArchiveEntry>& entries, std::string_view manifestBase) {
  if (manifestBase.ends_with(".apk")) {
    if (const ArchiveEntry* named = FindEntry(entries, manifestBase)) return *named;
  }
  for (std::string_view usual : {"base.apk", "splits/base-master.apk", "universal.apk"}) {
    if (const ArchiveEntry* found = FindEntry(entries, usual)) return *found;
  }
  const ArchiveEntry* only = nullptr;
  for (const ArchiveEntry& entry : entries) {
    if (!AtRoot(entry.path) || !entry.path.ends_with(".apk")) continue;
    if (entry.path.starts_with("config.") || entry.path.starts_with("split_")) continue;
    if (only) return {};
    only = &entry;
  }
  return only ? *only : ArchiveEntry{};
}

std::vector<ArchiveEntry> DensitySplits(const std::vector<ArchiveEntry>& entries) {
  std::vector<std::pair<int, const ArchiveEntry*>> ranked;
  for (const ArchiveEntry& entry : entries) {
    const int rank = SplitDensity(entry.path);
    if (rank == 0) continue;
    const bool seen = std::any_of(ranked.begin(), ranked.end(), [&](const auto& r) { return SamePath(r.second->path, entry.path); });
    if (!seen) ranked.emplace_back(rank, &entry);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<ArchiveEntry> splits;
  for (const auto& r : ranked) splits.push_back(*r.second);
  return splits;
}
