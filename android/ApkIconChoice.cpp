#include "android/ApkIconChoice.h"

#include "support/TextScan.h"

#include <algorithm>
#include <array>
#include <utility>

#include "image/ImageFormat.h"

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

std::string ChooseRasterIcon(std::string_view listing, std::string_view xmlIconPath) {
  const std::string_view base = BaseName(xmlIconPath);
  if (base.empty()) return {};
  std::string best;
  int bestScore = -1;
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
    const int score = rank * 2 + (png ? 1 : 0);
    if (score > bestScore) {
      bestScore = score;
      best = line;
    }
  }
  return best;
}

