#pragma once
// An icon file as the program shows it, whichever room found it: an SVG
// document (plain or gzip-compressed) drawn, an XPM image decoded, a PNG
// file kept as it is.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "draw/SvgDocument.h"
#include "support/Bytes.h"
#include "tools/Pipeline.h"

// The forms an icon file comes in, told by its name's extension in any case
// (packages and users write ".SVG" too).
enum class IconFileForm { Bitmap, Svg, Svgz, Xpm };
IconFileForm IconFileFormOf(std::string_view name);
// The form of a file with no telling name (an AppImage's .DirIcon), by its
// first bytes: gzip a compressed SVG, "/* XPM */" an XPM, markup ('<' after
// blanks and a byte order mark) an SVG, anything else a bitmap.
IconFileForm IconFileFormOfBytes(ByteSpan start);

// The icon in one file as PNG bytes. An SVG document is drawn on a square of
// side pixels (0: kSvgIconPixels), its width:height kept; a compressed one
// is inflated first, within the same limit on the inflated text, so a small
// file that inflates to gigabytes is refused. An XPM image is decoded. Any
// other file is kept as it is when it is a PNG. The file is read through
// read(maxBytes): at most kMaxSvgBytes of an SVG document (compressed or
// not), kMaxXpmText of an XPM, and bitmapLimit of anything else. Empty
// bytes for a document the drawing model refuses or cannot draw whole, and
// for a file that is not what its form says. For an SVG document not
// drawn, refused (when given) is set to why (DrawSvgIcon); keepGoing is
// asked while it is read and drawn.
Bytes IconFileAsPng(IconFileForm form, std::uint64_t bitmapLimit, const std::function<Bytes(std::uint64_t maxBytes)>& read,
                    int side, SvgRefused* refused = nullptr, const std::function<bool()>& keepGoing = {});

// The text of an SVG document of that form as read: inflated when
// compressed (empty beyond kMaxSvgBytes or when damaged).
Bytes SvgDocumentText(IconFileForm form, Bytes bytes);

// Reports why an SVG icon was not drawn, when that says more than the
// route could: what it uses (svg-feature), or that it is too large to draw
// (damaged, as every reader says of what goes beyond its limits). False,
// reporting nothing, for a cancelled one and for the rest (a document not
// well-formed, an element not read), which the route words itself.
bool ReportSvgRefusal(const PipelineContext& context, const SvgRefused& refused);
