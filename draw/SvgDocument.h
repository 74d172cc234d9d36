#pragma once
// SVG documents, the scalable icons of Linux apps and browser extensions
// and loose .svg files, read into the drawing model (draw/Drawing.h),
// which the renderer draws as it draws Android's vector icons
// (RenderVectorIcon: the document's width:height kept inside the square).
// The reader is split by subject: values (SvgValues), styles (SvgStyle),
// shapes as paths (SvgShapes), and the document's tree (SvgDocument.cpp).
//
// Read: svg (viewBox, width, height, preserveAspectRatio), g, a, path, rect
// (rx, ry), circle, ellipse, line, polyline, polygon, use of an element of
// the same document, transform, fill and stroke (colours by name, #rgb,
// #rrggbb, rgb(), rgba(); none; currentColor; context-fill and
// context-stroke, which take the current colour, as there is no marker or
// use here to give them theirs; gradients), the opacities, fill-rule,
// stroke width, caps, joins and miter limit, dashes (stroke-dasharray, an
// odd list repeated to make it even, all zeros a solid stroke;
// stroke-dashoffset), linear and radial gradients (stops, units,
// transform, spread, inheritance through href), clip paths; as
// presentation attributes or in the style attribute.
// Masks: luminance or alpha (mask-type), their region and content in
// either units, within one another kMaxEffectDepth deep. Filters made of
// feGaussianBlur, feOffset, feFlood, feComposite, feBlend (normal), feMerge
// and feColorMatrix (matrix, saturate, luminanceToAlpha) over
// SourceGraphic, SourceAlpha and named results, in linear RGB or sRGB
// (color-interpolation-filters), over their region in either units.
// Images: a PNG in a data URL, fitted by preserveAspectRatio.
// Passed over as painting nothing: title, desc, metadata, defs as a
// container, elements and attributes of other namespaces (editors'
// sodipodi:, inkscape:), the definitions nothing refers to, and shapes
// that are hidden or paint neither fill nor stroke (their geometry unread).
// Refused whole (nothing returned): other filter primitives, filter
// primitives with a subregion of their own, a mask within its own content,
// patterns and markers in use, dash lists with a negative length or more
// than kMaxDashes / 2 lengths, text, images other than an embedded PNG
// (no file is ever fetched), style sheets, references outside the
// document or to nothing, document type declarations, nested svg
// elements, any other element that paints, and documents beyond the
// limits (draw/SvgCost.h). The limits are counted before anything is read
// or copied, each part of the document once however often it is repeated,
// so a hostile document is refused at the cost of one pass over it; and
// text or another element refused wherever it stands is found in the same
// pass, before anything is expanded.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "draw/Drawing.h"
#include "draw/SvgCost.h"

inline constexpr std::size_t kMaxSvgBytes = 4u << 20;

// Reading and drawing ask keepGoing every few thousand elements or path
// commands (support/Pacer.h) and give nothing once it says no; an empty
// one never stops them.
std::optional<Drawing> ReadSvgDocument(std::string_view xml, const std::function<bool()>& keepGoing = {});

// SVG icons are drawn at this many pixels a side unless asked otherwise.
inline constexpr int kSvgIconPixels = 256;

// Why a document gives no picture.
enum class SvgRefusal {
  None,
  Feature,       // it uses what the drawing model does not draw (SvgRefusedFeature's words)
  BeyondLimits,  // reading or drawing it would cost more than the limits allow
  Cancelled,     // keepGoing said no
  Other,         // not a well-formed SVG document, a value not read, ...
};

struct SvgRefused {
  SvgRefusal why = SvgRefusal::None;
  std::string feature;  // SvgRefusal::Feature: what it uses ("text", "a style sheet")
};

struct SvgPicture {
  RgbaImage image;  // empty when refused
  SvgRefused refused;
};

// The document drawn on a square of `side` pixels (0: kSvgIconPixels), its
// width:height kept and centred; or why it is not drawn.
SvgPicture DrawSvgIcon(std::string_view xml, int side = 0, const std::function<bool()>& keepGoing = {});

// DrawSvgIcon's picture alone: empty when the document is refused or cannot
// be drawn whole.
RgbaImage RenderSvgIcon(std::string_view xml, int side = 0);

// For a document the reader refused, what in it a user can be told of:
// "text", "a style sheet", "a filter (feMorphology)", ... (the first in
// document order); empty when nothing such is found (a limit, say).
std::string SvgRefusedFeature(std::string_view xml);
