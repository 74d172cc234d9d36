#include "android/ApkIconChoice.h"

#include "support/TextScan.h"

#include <algorithm>
#include <array>
#include <utility>

#include "image/IcoDecode.h"
#include "image/IcoEncode.h"
#include "image/ImageFormat.h"
#include "image/PngDecode.h"

namespace {

constexpr std::array<std::pair<std::string_view, int>, 7> kDensityRank = {{
    {"ldpi", 1}, {"mdpi", 2}, {"tvdpi", 3}, {"hdpi", 4}, {"xhdpi", 5}, {"xxhdpi", 6}, {"xxxhdpi", 7}}};

std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const std::size_t dot = path.find('.');
  return dot == std::string_view::npos ? path : path.substr(0, dot);
}

// The density rank of a folder such as "mipmap-xxhdpi-v4"; 0 for nodpi or no
// density qualifier; -1 for folders that are not mipmap or drawable.
int FolderRank(std::string_view folder) {
  std::size_t dash = folder.find('-');
  const std::string_view type = folder.substr(0, dash);
  if (type != "mipmap" && type != "drawable") return -1;
  while (dash != std::string_view::npos) {
    const std::size_t next = folder.find('-', dash + 1);
    const std::string_view qualifier = folder.substr(dash + 1, next == std::string_view::npos ? next : next - dash - 1);
    if (const int rank = DensityRank(qualifier)) return rank;
    dash = next;
  }
  return 0;
}

}  // namespace

int DensityRank(std::string_view qualifier) {
  for (const auto& [name, rank] : kDensityRank) if (qualifier == name) return rank;
  return 0;
}

IconEntryKind ClassifyIconEntry(std::string_view entry, ByteSpan start) {
  if (entry.ends_with(".png")) return IconEntryKind::Keep;
  if (entry.ends_with(".webp")) return IconEntryKind::ConvertWebp;
  if (IsStandardPngStart(start)) return IconEntryKind::Keep;
  if (HasWebpSignature(start)) return IconEntryKind::ConvertWebp;
  return IconEntryKind::Drop;
}

std::vector<std::string> RankedRasterIcons(std::string_view listing, std::string_view xmlIconPath) {
  const std::string_view base = BaseName(xmlIconPath);
  std::vector<std::pair<int, std::string>> found;  // score, entry
  if (base.empty()) return {};
  while (!listing.empty()) {
    const std::size_t end = listing.find('\n');
    std::string_view line = listing.substr(0, end);
    listing.remove_prefix(end == std::string_view::npos ? listing.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    // res/<folder>/<base>.png or .webp, nothing deeper.
    if (line.substr(0, 4) != "res/") continue;
    const std::size_t slash = line.find('/', 4);
    if (slash == std::string_view::npos || line.find('/', slash + 1) != std::string_view::npos) continue;
    const std::string_view file = line.substr(slash + 1);
    const bool png = file == std::string(base) + ".png";
    if (!png && file != std::string(base) + ".webp") continue;
    const int rank = FolderRank(line.substr(4, slash - 4));
    if (rank < 0) continue;
    found.emplace_back(rank * 2 + (png ? 1 : 0), std::string(line));
  }
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::string> ranked;
  for (auto& [score, entry] : found) ranked.push_back(std::move(entry));
  return ranked;
}

std::string ChooseRasterIcon(std::string_view listing, std::string_view xmlIconPath) {
  std::vector<std::string> ranked = RankedRasterIcons(listing, xmlIconPath);
  return ranked.empty() ? std::string() : std::move(ranked.front());
}

std::vector<std::string> BadgingIconEntries(std::string_view badging) {
  constexpr std::string_view kLineStart = "application-icon-";
  std::vector<std::string> entries;
  while (!badging.empty() && entries.size() < kMaxDensityEntries) {
    const std::size_t end = badging.find('\n');
    std::string_view line = badging.substr(0, end);
    badging.remove_prefix(end == std::string_view::npos ? badging.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.starts_with(kLineStart)) continue;
    const std::size_t open = line.find(":'");
    if (open == std::string_view::npos || line.size() < open + 3 || line.back() != '\'') continue;
    const std::string_view entry = line.substr(open + 2, line.size() - open - 3);
    if (!entry.empty() && std::find(entries.begin(), entries.end(), entry) == entries.end()) entries.emplace_back(entry);
  }
  return entries;
}

Bytes DensityIconGroup(Bytes chosen, const std::vector<Bytes>& others) {
  if (SniffImageFormat(chosen) != ImageFormat::Png) return chosen;
  const ImageSize top = ProbeImageSize(chosen);
  const std::uint64_t topArea = std::uint64_t(top.width) * top.height;
  std::vector<std::pair<std::uint64_t, const Bytes*>> smaller;  // area, image
  for (const Bytes& other : others) {
    if (SniffImageFormat(other) != ImageFormat::Png) continue;
    const ImageSize size = ProbeImageSize(other);
    const std::uint64_t area = std::uint64_t(size.width) * size.height;
    if (area == 0 || area >= topArea || DecodePng(other).empty()) continue;
    smaller.emplace_back(area, &other);
  }
  if (smaller.empty()) return chosen;
  std::stable_sort(smaller.begin(), smaller.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<ByteSpan> pngs{chosen};
  for (const auto& [area, image] : smaller) pngs.emplace_back(*image);
  Bytes group = PngIconGroup(pngs);
  return ListIcoEntries(group).size() > 1 ? group : chosen;
}
