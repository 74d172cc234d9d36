#pragma once
// Where a Linux package keeps its application's icon, read from the file
// tree 7-Zip lists for it (a .deb's data archive, an .rpm's payload, an
// AppImage's or a snap's SquashFS image): the application's desktop entry
// names the icon, and the icon theme's folders hold it by size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tools/ArchiveListing.h"

// Desktop files are a few kilobytes; anything larger is not one.
inline constexpr std::uint64_t kMaxDesktopFileBytes = 256u << 10;
// Links are followed this many hops at most.
inline constexpr int kMaxLinkHops = 8;
// Application desktop entries shown in menus that are read per package at
// most (hidden ones do not count), and desktop files of a folder at most,
// whatever they hold: a cap against hostile packages only.
inline constexpr std::size_t kMaxDesktopFiles = 256;
inline constexpr std::size_t kMaxDesktopFilesListed = 4096;

// What the icon needs of a desktop file: its [Desktop Entry] group's Type,
// NoDisplay/Hidden and unlocalised Icon keys. Other groups (the
// [Desktop Action ...] ones) and localised keys (Icon[de]) do not count.
struct DesktopEntry {
  bool application = false;  // Type=Application
  bool hidden = false;       // NoDisplay=true or Hidden=true
  std::string icon;
};
DesktopEntry ReadDesktopEntry(std::string_view text);

// A path inside the package as a listing or a link gives it ('\' or '/'
// between folders, "./" or "/" first, "." and ".." steps) in one form:
// "usr/share/x.png". Empty when it climbs above the package's root or
// names the root itself.
std::string PackagePath(std::string_view path);

// Where a link at linkPath (a package path) leads: an absolute target from
// the package's root, a relative one from the link's folder. Empty when it
// leaves the package.
std::string LinkDestination(std::string_view linkPath, std::string_view target);

// The package's files by package path. Every lookup is by an index made
// once: a package may list a million files and its desktop entries name an
// icon each.
class PackageTree {
 public:
  explicit PackageTree(const std::vector<ArchiveEntry>& entries);
  // The index points into the tree's own text and into entries.
  PackageTree(const PackageTree&) = delete;
  PackageTree& operator=(const PackageTree&) = delete;

  const ArchiveEntry* find(std::string_view packagePath) const;

  // The desktop files directly in folder ("usr/share/applications"), the
  // one named after the package ("name.desktop") first, then the rest in
  // listing order; at most kMaxDesktopFilesListed.
  std::vector<const ArchiveEntry*> desktopFiles(std::string_view folder, std::string_view packageName) const;

  // The files that may hold the icon an Icon= value names, best first. An
  // absolute path ("/usr/share/x.png", or "${SNAP}/..." in a snap) is that
  // file. Anything else is an icon name, dots and all ("org.gnome.Calculator");
  // a trailing ".png", ".svg", ".svgz" or ".xpm" is dropped first. The name is
  // looked up in the hicolor theme's apps folders: the drawn one
  // (scalable/apps/<name>.svg or .svgz) first, then the largest size
  // ("256x256", "128x128@2" counting as 256), then in usr/share/pixmaps,
  // then at the root (where AppImages keep it); in each place a PNG, then an
  // SVG, a compressed SVG, an XPM.
  // Symbolic icons (names ending "-symbolic", "symbolic" folders) and
  // relative paths are never taken.
  std::vector<std::string> iconPaths(std::string_view icon) const;

 private:
  // A file in a hicolor apps folder: its name there, its folder's pixels
  // (UINT64_MAX for scalable), its package path.
  struct ThemeFile {
    std::string_view name;
    std::uint64_t size;
    std::string_view path;
  };

  std::string paths_;  // every package path, one after another; the views below point into it
  std::unordered_map<std::string_view, const ArchiveEntry*> byPath_;
  std::vector<std::pair<std::string_view, const ArchiveEntry*>> desktop_;  // in listing order
  std::vector<ThemeFile> theme_;                                           // by name
};

// Whether a file may be needed to find a package's icon, by its package
// path: a desktop file in usr/share/applications, or a file in an icon
// form (PNG, SVG, compressed SVG, XPM) in the hicolor theme's apps
// folders, in usr/share/pixmaps or at the root.
bool MayHoldIcon(std::string_view packagePath);

// Whether a folder (a package path) is on the way to the places where a
// package keeps its icon and desktop entries: meta/gui (a snap's),
// usr/share/applications, usr/share/pixmaps and the hicolor theme's apps
// folders. A reader that lists folders one by one goes into these alone.
bool MayLeadToIcon(std::string_view folder);

// The icon names of the freedesktop naming convention's application and
// category icons ("utilities-terminal", "system-file-manager",
// "accessories-calculator"): the desktop's theme draws them, so a package
// that names one holds no icon of its own.
bool IsThemeIconName(std::string_view name);

// The package name a desktop file may be named after, from the package's
// file name: a .deb's "name_version_arch.deb" gives "name", an .rpm's
// "name-version-release.arch.rpm" gives "name".
std::string DebPackageName(std::string_view fileName);
std::string RpmPackageName(std::string_view fileName);
