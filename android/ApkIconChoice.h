#pragma once
// Choosing an Android package's icon file: a raster icon from a package's
// file listing (for packages whose badging names only an adaptive (XML) icon
// although they carry PNG or WebP fallbacks, and for the density splits of a
// bundle whose base names files it does not hold), the size an entry is
// listed with, and what becomes of the entry's bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/Bytes.h"

// The archive path of the best raster file with the same base name as the
// icon entry named (e.g. "res/mipmap-anydpi-v26/ic_launcher.xml" ->
// "ic_launcher"; a split bundle's base may name a PNG it does not hold)
// among density folders res/mipmap-* and res/drawable-* (and the unqualified
// res/mipmap, res/drawable) in the listing (one entry per line): the highest
// density wins (xxxhdpi > xxhdpi > xhdpi > hdpi > tvdpi > mdpi > ldpi, then
// nodpi or unqualified); at equal density PNG beats WebP, then the earlier
// line. Empty when there is none.
std::string ChooseRasterIcon(std::string_view listing, std::string_view xmlIconPath);

// Every raster file ChooseRasterIcon weighs, the one it chooses first, then
// the others in the same order of preference.
std::vector<std::string> RankedRasterIcons(std::string_view listing, std::string_view xmlIconPath);

// The entries the badging's icon lines name ("application-icon-160:'res/
// mipmap-mdpi-v4/ic_launcher.png'", one line per density), each once, in
// the order of the text; at most kMaxDensityEntries of them.
inline constexpr std::size_t kMaxDensityEntries = 16;
// Each of the icon's other densities is a small file; a larger one is not read.
inline constexpr std::uint64_t kMaxDensityEntryBytes = 4u << 20;
std::vector<std::string> BadgingIconEntries(std::string_view badging);

// The icon at every density the package holds, so each can be looked at
// and given out: an icon group (image/IcoEncode.h) whose first image is the
// chosen PNG as it is, followed by every other image that decodes and is
// smaller than it, largest first, each size once. The chosen bytes as they
// are when no other image joins them or the chosen one is no PNG.
Bytes DensityIconGroup(Bytes chosen, const std::vector<Bytes>& others);

// The rank of a screen density qualifier ("ldpi" 1, "mdpi" 2, "tvdpi" 3,
// "hdpi" 4, "xhdpi" 5, "xxhdpi" 6, "xxxhdpi" 7); 0 for anything else.
int DensityRank(std::string_view qualifier);

// What becomes of an icon entry's extracted bytes. A name ending in ".png"
// is kept as stored and one ending in ".webp" is converted, as always. Large
// packages also store icons under names without an extension: those are
// told by their first bytes, a standard PNG kept, a WebP converted, anything
// else (however well another decoder might read it) dropped.
enum class IconEntryKind { Keep, ConvertWebp, Drop };
IconEntryKind ClassifyIconEntry(std::string_view entry, ByteSpan start);
