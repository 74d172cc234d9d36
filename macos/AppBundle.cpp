#include "macos/AppBundle.h"

namespace {

std::vector<std::string_view> Steps(std::string_view path) {
  std::vector<std::string_view> steps;
  while (!path.empty()) {
    const std::size_t cut = path.find_first_of("/\\");
    if (cut != 0) steps.push_back(path.substr(0, cut));
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
  return steps;
}

bool Hidden(const std::vector<std::string_view>& steps) {
  for (std::string_view step : steps) {
    if (step == "__MACOSX" || step.starts_with("._")) return true;
  }
  return false;
}

}  // namespace

const ArchiveEntry* FindVolumeIcon(const std::vector<ArchiveEntry>& entries) {
  constexpr std::string_view kName = ".VolumeIcon.icns";
  const ArchiveEntry* inFolder = nullptr;
  for (const ArchiveEntry& entry : entries) {
    if (entry.symbolicLink) continue;
    if (entry.path == kName) return &entry;
    const std::size_t cut = entry.path.find_first_of("\\/");
    if (!inFolder && cut != std::string::npos && cut > 0 && std::string_view(entry.path).substr(cut + 1) == kName) inFolder = &entry;
  }
  return inFolder;
}

const ArchiveEntry* FindAppInfoPlist(const std::vector<ArchiveEntry>& entries) {
  const ArchiveEntry* best = nullptr;
  std::size_t bestDepth = SIZE_MAX;
  for (const ArchiveEntry& entry : entries) {
    const std::vector<std::string_view> steps = Steps(entry.path);
    const std::size_t n = steps.size();
    if (n < 3 || entry.symbolicLink || Hidden(steps)) continue;
    if (steps[n - 1] != "Info.plist" || steps[n - 2] != "Contents" || !steps[n - 3].ends_with(".app")) continue;
    if (n < bestDepth) best = &entry, bestDepth = n;
  }
  return best;
}

const ArchiveEntry* FindAppIcon(const std::vector<ArchiveEntry>& entries, const ArchiveEntry& infoPlist,
                                const std::optional<std::string>& iconFile, const std::optional<std::string>& iconName) {
  std::string name = iconFile && !iconFile->empty() ? *iconFile : iconName && !iconName->empty() ? *iconName : "AppIcon";
  if (name.find_first_of("/\\") != std::string::npos) return nullptr;
  if (!name.ends_with(".icns")) name += ".icns";
  // "X.app/Contents/Info.plist" -> "X.app/Contents/Resources/<name>", in the listing's own separators.
  const std::string& plist = infoPlist.path;
  const std::size_t cut = plist.find_last_of("/\\");
  const std::string wanted = plist.substr(0, cut + 1) + "Resources" + plist[cut] + name;
  for (const ArchiveEntry& entry : entries) {
    if (entry.path == wanted) return entry.symbolicLink ? nullptr : &entry;
  }
  return nullptr;
}
