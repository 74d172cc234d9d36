#include "linux/LinuxIconChoice.h"

#include <algorithm>

#include "support/TextScan.h"

namespace {

std::string_view FolderPart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// The pixel size a hicolor folder stands for: "48x48" 48, "128x128@2" 256;
// 0 for anything else ("scalable", "symbolic").
// What may follow an icon's name in an Icon= value (the legacy form).
constexpr std::string_view kIconFileExtensions[] = {".png", ".svg", ".svgz", ".xpm"};

std::uint64_t ThemeFolderSize(std::string_view folder) {
  const std::size_t x = folder.find('x');
  if (x == std::string_view::npos) return 0;
  const std::size_t at = folder.find('@');
  const std::optional<std::uint64_t> width = ParseDecimal(folder.substr(0, x), 1u << 16);
  const std::optional<std::uint64_t> height = ParseDecimal(folder.substr(x + 1, at == std::string_view::npos ? at : at - x - 1), 1u << 16);
  const std::optional<std::uint64_t> scale = at == std::string_view::npos ? 1 : ParseDecimal(folder.substr(at + 1), 16);
  if (!width || !height || !scale || *width != *height || *width == 0 || *scale == 0) return 0;
  return *width * *scale;
}

}  // namespace

DesktopEntry ReadDesktopEntry(std::string_view text) {
  DesktopEntry entry;
  bool inMainGroup = false;
  while (!text.empty()) {
    const std::string_view line = TrimmedBlanks(NextLine(text));
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inMainGroup || equals == std::string_view::npos) continue;
    const std::string_view key = TrimmedBlanks(line.substr(0, equals));
    const std::string_view value = TrimmedBlanks(line.substr(equals + 1));
    if (key == "Type") entry.application = value == "Application";
    else if (key == "NoDisplay" || key == "Hidden") entry.hidden = entry.hidden || value == "true";
    else if (key == "Icon") entry.icon = value;
  }
  return entry;
}

namespace {

// Whether the path is a package path already, but for a leading "./" or
// "/": no "." or ".." step, no empty step, no backslash. Most listed paths
// are, and take no further work.
bool PlainPath(std::string_view path) {
  if (path.empty() || path.back() == '/' || path.find('\\') != std::string_view::npos) return false;
  for (std::size_t at = 0; at <= path.size();) {
    const std::size_t cut = std::min(path.find('/', at), path.size());
    const std::string_view step = path.substr(at, cut - at);
    if (step.empty() || step == "." || step == "..") return false;
    at = cut + 1;
  }
  return true;
}

}  // namespace

std::string PackagePath(std::string_view path) {
  std::string_view rest = path;
  if (rest.starts_with("./")) rest.remove_prefix(2);
  else if (rest.starts_with("/")) rest.remove_prefix(1);
  if (PlainPath(rest)) return std::string(rest);
  std::vector<std::string_view> steps;
  while (!path.empty()) {
    const std::size_t cut = path.find_first_of("/\\");
    const std::string_view step = path.substr(0, cut);
    path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
    if (step.empty() || step == ".") continue;
    if (step == "..") {
      if (steps.empty()) return {};
      steps.pop_back();
      continue;
    }
    steps.push_back(step);
  }
  std::string out;
  for (std::string_view step : steps) {
    if (!out.empty()) out += '/';
    out += step;
  }
  return out;
}

std::string LinkDestination(std::string_view linkPath, std::string_view target) {
  if (target.empty()) return {};
  if (target.front() == '/') return PackagePath(target);
  const std::string_view folder = FolderPart(linkPath);
  // A ".." the link's own folder cannot take climbs out of the package.
  return PackagePath(std::string(folder) + (folder.empty() ? "" : "/") + std::string(target));
}

PackageTree::PackageTree(const std::vector<ArchiveEntry>& entries) {
  // A package path is never longer than the listed one: with room for all
  // of them reserved, the views into paths_ stay valid as it grows.
  std::size_t room = 0;
  for (const ArchiveEntry& entry : entries) room += entry.path.size();
  paths_.reserve(room);
  byPath_.reserve(entries.size());
  constexpr std::string_view kTheme = "usr/share/icons/hicolor/";
  for (const ArchiveEntry& entry : entries) {
    const std::string normal = PackagePath(entry.path);
    if (normal.empty()) continue;
    const std::size_t at = paths_.size();
    paths_ += normal;
    const std::string_view path = std::string_view(paths_).substr(at);
    if (!byPath_.emplace(path, &entry).second) {
      paths_.resize(at);
      continue;
    }
    if (path.ends_with(".desktop")) desktop_.emplace_back(path, &entry);
    // usr/share/icons/hicolor/<size>/apps/<file>, and the drawn one in scalable/
    if (!path.starts_with(kTheme)) continue;
    const std::string_view rest = path.substr(kTheme.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos || rest.substr(slash + 1, 5) != "apps/") continue;
    const std::string_view folder = rest.substr(0, slash), name = rest.substr(slash + 6);
    if (name.empty() || name.find('/') != std::string_view::npos) continue;
    const std::uint64_t size = folder == "scalable" ? UINT64_MAX : ThemeFolderSize(folder);
    if (size) theme_.push_back({name, size, path});
  }
  std::sort(theme_.begin(), theme_.end(), [](const ThemeFile& a, const ThemeFile& b) { return a.name < b.name; });
}

const ArchiveEntry* PackageTree::find(std::string_view packagePath) const {
  const auto found = byPath_.find(packagePath);
  return found == byPath_.end() ? nullptr : found->second;
}

std::vector<const ArchiveEntry*> PackageTree::desktopFiles(std::string_view folder, std::string_view packageName) const {
  std::vector<const ArchiveEntry*> found;
  const ArchiveEntry* named = packageName.empty() ? nullptr : find(std::string(folder) + "/" + std::string(packageName) + ".desktop");
  if (named) found.push_back(named);
  for (const auto& [path, entry] : desktop_) {
    if (found.size() >= kMaxDesktopFilesListed) break;
    if (entry == named || FolderPart(path) != folder) continue;
    found.push_back(entry);
  }
  return found;
}

std::vector<std::string> PackageTree::iconPaths(std::string_view icon) const {
  constexpr std::string_view kSnapRoot = "${SNAP}/";
  if (icon.starts_with(kSnapRoot)) icon.remove_prefix(kSnapRoot.size() - 1);
  if (icon.empty() || icon.find('\\') != std::string_view::npos) return {};
  if (icon.find('/') != std::string_view::npos) {
    if (icon.front() != '/') return {};
    std::string path = PackagePath(icon);
    if (path.empty()) return {};
    return {path};
  }
  // An icon name ("org.gnome.Calculator", "mini.xterm": dots and all); only
  // an image format's extension after it is dropped, the legacy form
  // "calc.png" naming the icon "calc".
  for (std::string_view extension : kIconFileExtensions) {
    if (icon.size() > extension.size() && EqualsIgnoringAsciiCase(icon.substr(icon.size() - extension.size()), extension)) {
      icon.remove_suffix(extension.size());
      break;
    }
  }
  if (icon.ends_with("-symbolic")) return {};
  // The forms an icon is stored in, preferred first: a theme folder, the
  // pixmaps folder and the root may hold any of them.
  const std::string name(icon);
  const std::string forms[] = {name + ".png", name + ".svg", name + ".svgz", name + ".xpm"};

  struct Found {
    std::uint64_t size;  // the folder's pixels; scalable above every size
    std::size_t form;
    std::string_view path;
  };
  std::vector<Found> sized;
  for (std::size_t form = 0; form < std::size(forms); ++form) {
    const auto [first, last] = std::equal_range(theme_.begin(), theme_.end(), ThemeFile{forms[form], 0, {}},
                                                [](const ThemeFile& a, const ThemeFile& b) { return a.name < b.name; });
    for (auto file = first; file != last; ++file) {
      // The scalable folder holds drawings only.
      if (file->size == UINT64_MAX && form != 1 && form != 2) continue;
      sized.push_back({file->size, form, file->path});
    }
  }
  std::sort(sized.begin(), sized.end(), [](const Found& a, const Found& b) {
    return a.size != b.size ? a.size > b.size : a.form != b.form ? a.form < b.form : a.path < b.path;
  });
  std::vector<std::string> paths;
  for (const Found& found : sized) paths.emplace_back(found.path);
  for (std::string_view folder : {"usr/share/pixmaps/", ""}) {
    for (const std::string& form : forms) {
      std::string path = std::string(folder) + form;
      if (find(path)) paths.push_back(std::move(path));
    }
  }
  return paths;
}

bool MayHoldIcon(std::string_view path) {
  const std::string_view folder = FolderPart(path), name = path.substr(folder.empty() ? 0 : folder.size() + 1);
  if (folder == "usr/share/applications") return name.ends_with(".desktop");
  const bool iconForm = std::any_of(std::begin(kIconFileExtensions), std::end(kIconFileExtensions),
                                    [name](std::string_view extension) { return name.ends_with(extension); });
  if (!iconForm) return false;
  constexpr std::string_view kTheme = "usr/share/icons/hicolor/";
  if (folder.starts_with(kTheme)) {
    const std::string_view inTheme = folder.substr(kTheme.size());
    return inTheme.find('/') != std::string_view::npos && inTheme.substr(inTheme.find('/')) == "/apps";
  }
  return folder.empty() || folder == "usr/share/pixmaps";
}

bool MayLeadToIcon(std::string_view folder) {
  for (std::string_view place : {"meta/gui", "usr/share/applications", "usr/share/pixmaps", "usr/share/icons/hicolor"}) {
    if (place.starts_with(folder) && (place.size() == folder.size() || place[folder.size()] == '/')) return true;
  }
  constexpr std::string_view kTheme = "usr/share/icons/hicolor/";
  if (!folder.starts_with(kTheme)) return false;
  const std::string_view inTheme = folder.substr(kTheme.size());  // "48x48" or "48x48/apps"
  const std::size_t slash = inTheme.find('/');
  return slash == std::string_view::npos ? !inTheme.empty() : slash > 0 && inTheme.substr(slash) == "/apps";
}

bool IsThemeIconName(std::string_view name) {
  static constexpr std::string_view kThemeIcons[] = {
      "accessories-calculator", "accessories-character-map", "accessories-dictionary", "accessories-text-editor",
      "help-browser", "multimedia-volume-control", "preferences-desktop-accessibility", "preferences-desktop-font",
      "preferences-desktop-keyboard", "preferences-desktop-locale", "preferences-desktop-multimedia",
      "preferences-desktop-screensaver", "preferences-desktop-theme", "preferences-desktop-wallpaper",
      "system-file-manager", "system-software-install", "system-software-update", "utilities-system-monitor",
      "utilities-terminal", "applications-accessories", "applications-development", "applications-engineering",
      "applications-games", "applications-graphics", "applications-internet", "applications-multimedia",
      "applications-office", "applications-other", "applications-science", "applications-system",
      "applications-utilities", "preferences-desktop", "preferences-desktop-peripherals",
      "preferences-desktop-personal", "preferences-other", "preferences-system", "preferences-system-network",
      "system-help", "internet-web-browser", "internet-mail", "internet-news", "office-calendar",
  };
  return std::find(std::begin(kThemeIcons), std::end(kThemeIcons), name) != std::end(kThemeIcons);
}

std::string DebPackageName(std::string_view fileName) { return std::string(fileName.substr(0, fileName.find('_'))); }

std::string RpmPackageName(std::string_view fileName) {
  // name-version-release.arch.rpm: the name may hold dashes, the version
  // and release do not.
  std::string_view stem = fileName;
  if (stem.ends_with(".rpm")) stem.remove_suffix(4);
  for (int part = 0; part < 2; ++part) {
    const std::size_t dash = stem.rfind('-');
    if (dash == std::string_view::npos) return std::string(stem);
    stem = stem.substr(0, dash);
  }
  return std::string(stem);
}
