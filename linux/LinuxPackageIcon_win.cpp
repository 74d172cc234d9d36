#include "linux/LinuxPackageIcon_win.h"

#include <functional>
#include <string_view>
#include <vector>

#include "draw/IconFileForms.h"
#include "image/ImageFormat.h"
#include "linux/AppImage.h"
#include "linux/LinuxIconChoice.h"
#include "linux/PackagePass.h"
#include "linux/PackageRelations.h"
#include "linux/SquashFs.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"
#include "tools/WorkFolder_win.h"

namespace {

// Files given along with a package that are looked at as its companions.
constexpr std::size_t kMaxCompanions = 16;

// What a package's desktop entries named and the package lacks.
struct DesktopLookup {
  std::size_t shown = 0;  // application entries shown in menus
  std::string missing;    // the first icon name none of its files holds
};

// When the entry names an icon the package does not hold, the reason says
// so and names it: an icon of the desktop's theme, or one another package
// holds (sibling: the package's data package, when known).
void ReportMissing(const PipelineContext& context, const std::string& missing, const std::string& sibling = {}) {
  if (missing.empty()) return;
  if (IsThemeIconName(missing)) context.report(IconReason::ThemeIcon, {missing});
  else context.report(IconReason::IconElsewhere, {missing, sibling});
}

// A package's file tree, and a way to read a file of it.
class Tree {
 public:
  using EntryReader = std::function<Bytes(const ArchiveEntry& entry, std::uint64_t maxBytes)>;
  // A file the listing left out, by package path, links followed.
  using PathReader = std::function<Bytes(const std::string& path, std::uint64_t maxBytes)>;
  Tree(const PipelineContext& context, std::vector<ArchiveEntry> entries, EntryReader readEntry,
       PathReader readUnlisted = nullptr)
      : context_(context), entries_(std::move(entries)), tree_(entries_), readEntry_(std::move(readEntry)),
        readUnlisted_(std::move(readUnlisted)) {}

  // The file at the package path, links followed inside the package; empty
  // when it is missing, too large, or a link leads out or too far.
  Bytes read(std::string path, std::uint64_t maxBytes) const {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
      const ArchiveEntry* entry = tree_.find(path);
      if (!entry) return readUnlisted_ ? readUnlisted_(path, maxBytes) : Bytes();
      if (!entry->symbolicLink) return readEntry_(*entry, maxBytes);
      std::string target = entry->linkTarget;
      if (target.empty()) {  // a SquashFS link's bytes are its target
        const Bytes stored = readEntry_(*entry, 4096);
        target.assign(stored.begin(), stored.end());
      }
      path = LinkDestination(path, target);
      if (path.empty()) {
        context_.report(IconReason::Refused, Because("a link leading out of the package"));
        return {};
      }
    }
    return {};
  }

  // The icon the first application desktop entry in folder names, as PNG.
  // Entries hidden from menus are passed over. What the entries named that
  // the package does not hold goes to lookup.
  Bytes iconByDesktopEntry(std::string_view folder, std::string_view packageName, DesktopLookup& lookup) const {
    for (const ArchiveEntry* file : tree_.desktopFiles(folder, packageName)) {
      if (lookup.shown == kMaxDesktopFiles) break;
      const DesktopEntry desktop = ReadDesktopEntry(AsText(read(PackagePath(file->path), kMaxDesktopFileBytes)));
      if (!desktop.application || desktop.hidden) continue;
      ++lookup.shown;
      const std::vector<std::string> paths = tree_.iconPaths(desktop.icon);
      if (paths.empty() && lookup.missing.empty() && desktop.icon.find('/') == std::string::npos) lookup.missing = desktop.icon;
      if (Bytes icon = iconAt(paths); !icon.empty()) return icon;
    }
    return {};
  }
  Bytes iconByDesktopEntry(std::string_view folder, std::string_view packageName) const {
    DesktopLookup lookup;
    Bytes icon = iconByDesktopEntry(folder, packageName, lookup);
    if (icon.empty()) ReportMissing(context_, lookup.missing);
    return icon;
  }

  // The first of the files that is a PNG, an SVG document (compressed or
  // not) the drawing model draws whole, or an XPM image, as PNG.
  Bytes iconAt(const std::vector<std::string>& paths) const {
    for (const std::string& path : paths) {
      SvgRefused refused;
      Bytes icon = IconFileAsPng(IconFileFormOf(path), kMaxReadBytes,
                                 [&](std::uint64_t maxBytes) { return read(path, maxBytes); }, context_.drawSide, &refused,
                                 ImportGoesOn);
      if (!icon.empty()) return icon;
      if (refusedFeature_.empty()) refusedFeature_ = refused.feature;
    }
    return {};
  }

  // What the first SVG icon refused used, when one was: the reason a
  // package whose only icon is such a drawing gives.
  const std::string& refusedFeature() const { return refusedFeature_; }

  const PackageTree& files() const { return tree_; }

  bool empty() const { return entries_.empty(); }

 private:
  const PipelineContext& context_;
  std::vector<ArchiveEntry> entries_;
  PackageTree tree_;
  EntryReader readEntry_;
  mutable std::string refusedFeature_;
  PathReader readUnlisted_;
};

// A file tree 7-Zip lists, and reads entry by entry.
Tree ToolTree(const PipelineContext& context, const ArchiveSource& source) {
  return Tree(context, ListArchive(context, source), [&context, source](const ArchiveEntry& entry, std::uint64_t maxBytes) {
    return ReadArchiveEntry(context, source, entry, maxBytes);
  });
}

using PackagePass = PassEnd (*)(ByteSpan file, const PassRules& rules, PackageContents& out);

const PassRules kIconRules{.keep = [](std::string_view path, std::uint64_t) { return MayHoldIcon(path); },
                           .keepGoing = ImportGoesOn,
                           .limits = {.maxPassedBytes = kMaxInnerArchiveBytes, .maxEntryBytes = kMaxReadBytes}};

// A .deb's relations from its control file alone (the pass stops before
// the data archive).
PackageRelations DebRelations(ByteSpan file) {
  PassRules controlOnly = kIconRules;
  controlOnly.controlOnly = true;
  PackageContents contents;
  ReadDebPackage(file, controlOnly, contents);
  return ReadDebControl(contents.control);
}

// The Linux packages among the files given along with this one, and what
// each is: its pass and its relations, as the package itself says (its
// file may have any name), else its name by its file name.
struct Companion {
  std::string path;
  PackageRelations relations;
  PackagePass readPackage;
};
std::vector<Companion> LinuxCompanions(const PipelineContext& context) {
  std::vector<Companion> found;
  for (const std::string& path : context.companions) {
    const std::string name(FileNameOf(path, SystemLeadByte));
    const std::string_view extension = FileNameExtension(name, SystemLeadByte);
    const bool deb = EqualsIgnoringAsciiCase(extension, ".deb");
    if (!deb && !EqualsIgnoringAsciiCase(extension, ".rpm")) continue;
    const FileView file(path);
    PackageRelations relations = deb ? DebRelations(file.bytes()) : ReadRpmHeader(file.bytes());
    if (relations.name.empty()) relations.name = deb ? DebPackageName(name) : RpmPackageName(name);
    found.push_back({path, std::move(relations), deb ? ReadDebPackage : ReadRpmPackage});
    if (found.size() == kMaxCompanions) break;
  }
  return found;
}

// The icon named `icon` in the package given along with this one that holds
// the application's data: the one named as its sibling, or without one, a
// package whose name starts with the application's or its source's.
Bytes IconFromCompanions(const PipelineContext& context, const std::string& icon, const PackageRelations& own,
                         const std::string& sibling) {
  for (const Companion& companion : LinuxCompanions(context)) {
    const std::string& name = companion.relations.name;
    const bool related = sibling.empty() ? (!own.name.empty() && name.starts_with(own.name)) ||
                                               (!own.source.empty() && name.starts_with(own.source))
                                         : name == sibling;
    if (!related || name == own.name) continue;
    const FileView file(companion.path);
    PackageContents contents;
    if (companion.readPackage(file.bytes(), kIconRules, contents) != PassEnd::Complete) continue;
    const Tree tree(context, std::move(contents.entries), [&contents](const ArchiveEntry& entry, std::uint64_t maxBytes) {
      const auto found = contents.kept.find(PackagePath(entry.path));
      return found == contents.kept.end() || found->second.size() > maxBytes ? Bytes() : found->second;
    });
    if (Bytes found = tree.iconAt(tree.files().iconPaths(icon)); !found.empty()) return found;
  }
  return {};
}

// The package given along with this one whose data this package holds: it
// names this one as its data package, or, naming none, this one's name is
// its own or its source's with a data ending (vlc-data for vlc). Empty when
// there is none.
std::string PackageServed(const PipelineContext& context, const std::string& ownName) {
  if (ownName.empty()) return {};
  for (const Companion& companion : LinuxCompanions(context)) {
    const PackageRelations& relations = companion.relations;
    const std::string sibling = DataSibling(relations);
    const bool named = sibling == ownName;
    const bool likely = sibling.empty() && IsDataPackageName(ownName) && relations.name != ownName &&
                        ((!relations.name.empty() && ownName.starts_with(relations.name)) ||
                         (!relations.source.empty() && ownName.starts_with(relations.source)));
    if (named || likely) return relations.name;
  }
  return {};
}

// A .deb or an .rpm, read in one pass that keeps the desktop files and the
// files that may be icons. A file the desktop entry leads to elsewhere (an
// absolute Icon= path) costs one more pass, a few at most.
Bytes PackageIcon(const PipelineContext& context, const std::string& packagePath, PackagePass readPackage,
                  PackageRelations relations) {
  const FileView file(packagePath);
  const PassRules& rules = kIconRules;
  PackageContents contents;
  const PassEnd end = readPackage(file.bytes(), rules, contents);
  if (end != PassEnd::Complete) {
    if (end == PassEnd::Damaged) context.report(IconReason::Damaged);
    return {};
  }
  if (!contents.control.empty()) relations = ReadDebControl(contents.control);
  int passesLeft = 3;
  const auto readEntry = [&](const ArchiveEntry& entry, std::uint64_t maxBytes) -> Bytes {
    const std::string path = PackagePath(entry.path);
    auto found = contents.kept.find(path);
    // An empty file is listed, never kept, and needs no pass.
    if (found == contents.kept.end() && entry.size > 0 && entry.size <= std::min(maxBytes, kMaxReadBytes) && passesLeft > 0) {
      --passesLeft;
      PassRules one = rules;
      one.keep = [&path](std::string_view candidate, std::uint64_t) { return candidate == path; };
      PackageContents more;
      if (readPackage(file.bytes(), one, more) == PassEnd::Complete && more.kept.count(path))
        found = contents.kept.insert(*more.kept.find(path)).first;
    }
    if (found == contents.kept.end() || found->second.size() > maxBytes) return Bytes();
    return found->second;
  };
  const Tree tree(context, std::move(contents.entries), readEntry);
  DesktopLookup lookup;
  if (Bytes icon = tree.iconByDesktopEntry("usr/share/applications", relations.name, lookup); !icon.empty()) return icon;
  const std::string sibling = DataSibling(relations);
  if (!lookup.missing.empty() && !IsThemeIconName(lookup.missing)) {
    if (Bytes icon = IconFromCompanions(context, lookup.missing, relations, sibling); !icon.empty()) return icon;
  }
  if (lookup.shown == 0 && !context.companions.empty()) {
    if (const std::string served = PackageServed(context, relations.name); !served.empty()) {
      context.report(IconReason::DataOnly, {served});
      return {};
    }
  }
  ReportMissing(context, lookup.missing, sibling);
  if (!tree.refusedFeature().empty()) context.report(IconReason::SvgFeature, {tree.refusedFeature(), {}, false});
  return {};
}

// An AppImage's .DirIcon (or the file it links to) as PNG: a PNG or a
// drawing of any form.
Bytes DirIconAsPng(const PipelineContext& context, const Bytes& dirIcon) {
  return IconFileAsPng(IconFileFormOfBytes(dirIcon), kMaxReadBytes,
                       [&dirIcon](std::uint64_t maxBytes) { return dirIcon.size() <= maxBytes ? dirIcon : Bytes(); },
                       context.drawSide, nullptr, ImportGoesOn);
}

// An AppImage's icon in its file tree: .DirIcon, else its desktop entry's,
// at the root.
Bytes AppImageTreeIcon(const PipelineContext& context, const Tree& tree) {
  if (Bytes icon = DirIconAsPng(context, tree.read(".DirIcon", kMaxReadBytes)); !icon.empty()) return icon;
  return tree.iconByDesktopEntry("", "");
}

// A snap's icon in its file tree: meta/gui/icon.png, else the icon its
// meta/gui desktop entry names.
Bytes SnapTreeIcon(const Tree& tree) {
  Bytes icon = tree.read("meta/gui/icon.png", kMaxReadBytes);
  if (SniffImageFormat(icon) == ImageFormat::Png) return icon;
  return tree.iconByDesktopEntry("meta/gui", "");
}

// The icon pick finds in a SquashFS image read in place, in the folders
// the icon rules look in. Empty, with the reason, for a damaged image or a
// cancelled import.
Bytes InPlaceIcon(const PipelineContext& context, SquashFsImage& image, const std::function<Bytes(const Tree&)>& pick) {
  std::vector<ArchiveEntry> entries;
  const SquashFsEnd end = image.list(MayLeadToIcon, ImportGoesOn, entries);
  if (end != SquashFsEnd::Complete) {
    if (end == SquashFsEnd::Damaged) context.report(IconReason::Damaged);
    return {};
  }
  return pick(Tree(
      context, std::move(entries),
      [&image](const ArchiveEntry& entry, std::uint64_t maxBytes) { return image.read(entry.path, maxBytes); },
      [&image](const std::string& path, std::uint64_t maxBytes) { return image.readFollowingLinks(path, maxBytes); }));
}

}  // namespace

Bytes ExtractDebIcon(const PipelineContext& context, const std::string& packagePath) {
  return PackageIcon(context, packagePath, ReadDebPackage, {.name = DebPackageName(FileNameOf(packagePath, SystemLeadByte))});
}

Bytes ExtractRpmIcon(const PipelineContext& context, const std::string& packagePath) {
  const FileView file(packagePath);
  PackageRelations relations = ReadRpmHeader(file.bytes());
  if (relations.name.empty()) relations.name = RpmPackageName(FileNameOf(packagePath, SystemLeadByte));
  return PackageIcon(context, packagePath, ReadRpmPackage, std::move(relations));
}

Bytes ExtractAppImageIcon(const PipelineContext& context, const std::string& imagePath) {
  const FileView file(imagePath);
  const ByteSpan bytes = file.bytes();
  // Type 1: the file itself is the image 7-Zip opens.
  if (IsIso9660AppImage(bytes.subspan(0, std::min(bytes.size(), kIso9660Bytes))))
    return AppImageTreeIcon(context, ToolTree(context, {imagePath, "-tiso", EntryText::Narrow}));
  const std::optional<std::uint64_t> offset = AppImageImageOffset(bytes.subspan(0, std::min(bytes.size(), kElfHeaderBytes)), bytes.size());
  const std::optional<std::uint64_t> size =
      offset ? SquashFsImageSize(bytes.subspan(*offset, std::min<std::uint64_t>(bytes.size() - *offset, kSquashFsSuperblockBytes)))
             : std::nullopt;
  if (!size || *size > bytes.size() - *offset) {
    context.report(IconReason::Damaged);
    return {};
  }
  SquashFsImage image(bytes.subspan(*offset, *size));
  if (image.state() != SquashFsEnd::Unsupported) {
    // .DirIcon straight away: the folders are listed only when it is no
    // icon (and the tree then tells why, a link leading out of the image).
    if (Bytes icon = DirIconAsPng(context, image.readFollowingLinks(".DirIcon", kMaxReadBytes)); !icon.empty()) return icon;
    return InPlaceIcon(context, image, [&context](const Tree& tree) { return AppImageTreeIcon(context, tree); });
  }
  // An LZO image: 7-Zip has its decoder, and reads the image copied out.
  const WorkFolder work(context.runDirectory);
  const std::string copy = work.file("image");
  if (*size > kMaxInnerArchiveBytes || work.path().empty() || !SpendWrittenBytes(*size) ||
      !WriteFileAtomically(copy, bytes.subspan(*offset, *size))) {
    context.report(IconReason::Damaged);
    return {};
  }
  return AppImageTreeIcon(context, ToolTree(context, {copy, "-tSquashFS", EntryText::Narrow}));
}

Bytes ExtractSnapIcon(const PipelineContext& context, const std::string& snapPath) {
  const FileView file(snapPath);
  SquashFsImage image(file.bytes());
  // An LZO image: 7-Zip has its decoder.
  if (image.state() == SquashFsEnd::Unsupported)
    return SnapTreeIcon(ToolTree(context, {snapPath, "-tSquashFS", EntryText::Narrow}));
  // meta/gui/icon.png straight away: the folders are listed only when it is
  // no PNG.
  Bytes icon = image.readFollowingLinks("meta/gui/icon.png", kMaxReadBytes);
  if (SniffImageFormat(icon) == ImageFormat::Png) return icon;
  return InPlaceIcon(context, image, SnapTreeIcon);
}
