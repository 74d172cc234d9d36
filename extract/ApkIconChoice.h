#pragma once
// Choosing a raster icon from an Android package's file listing, for packages
// whose badging names only an adaptive (XML) icon although they carry PNG or
// WebP fallbacks.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The archive path of the best raster file with the same base name as the
// XML icon (e.g. "res/mipmap-anydpi-v26/ic_launcher.xml" -> "ic_launcher")
// among density folders res/mipmap-* and res/drawable-* (and the unqualified
// res/mipmap, res/drawable) in the listing (one entry per line): the highest
// density wins (xxxhdpi > xxhdpi > xhdpi > hdpi > tvdpi > mdpi > ldpi, then
// nodpi or unqualified); at equal density PNG beats WebP, then the earlier
// line. Empty when there is none.
std::string ChooseRasterIcon(std::string_view listing, std::string_view xmlIconPath);

// The uncompressed size of an entry as UnZip's short zipinfo listing of it
// gives it ("uz -Z PACKAGE ENTRY": permissions, version, system, size, type,
// method, date, time, name): the fourth column of the line that ends in the
// entry's name. Empty when no such line holds a size.
std::optional<std::uint64_t> ZipInfoEntrySize(std::string_view listing, std::string_view entry);
