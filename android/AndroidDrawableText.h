#pragma once
// Reading a drawn Android launcher icon (a vector drawable, or an adaptive
// icon) from the packaging tool's text into the model of draw/Drawing.h.
//
// What is read: an adaptive icon's background and foreground (each named by
// android:drawable or given as a child element; monochrome is not drawn),
// and as a layer or an inset's inner drawable: a colour (value, colour
// resource, or a colour state list's default), a raster file (the densest
// of the resource's files), a vector, a shape (rectangle or oval; solid or
// gradient fill; corners), an inset, a bitmap element or a colour element.
// A vector's paths are filled and stroked with colours, colour state lists
// or gradients (the build tools move an inline gradient into a drawable
// resource of its own, e.g. res/drawable/$ic_launcher_foreground__0.xml).
//
// Refused, giving no drawing at all rather than part of one: references
// that come back to a drawable being read, nesting beyond kMaxDrawableDepth
// (the icon's root drawable is level 1; each group, wrapped drawable and
// adaptive layer adds one), more than kMaxDrawablePaths paths, numbers that
// are not finite, a tint on any drawable, a theme attribute anywhere it is
// read (the package's theme is not read), root elements and layer kinds
// not listed above, references to resources the package does not hold
// (except the framework's public fixed colours such as
// @android:color/white), and shapes with an outline (stroke).
//
// Simplifications: lengths in px are taken as dp (see DecodeDimensionDp); a
// bitmap element's gravity and tile mode are not read (the picture fills
// the bounds); the configuration read is ResourceValues::preferred's.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "android/ResourceValues.h"
#include "android/ToolXmlTree.h"
#include "draw/Drawing.h"
#include "image/RgbaImage.h"

// A file's tree as parsed from the tool's text, and that text's size.
struct ParsedTree {
  ToolXmlTree tree;
  std::size_t textBytes = 0;
};

struct DrawableSources {
  std::string_view resources;                                    // "dump --values resources PACKAGE"
  std::function<std::string(const std::string& entry)> xmlTree;  // "dump xmltree PACKAGE ENTRY" text ("" when none)
  std::function<RgbaImage(const std::string& entry)> bitmap;    // a decoded raster entry (PNG, WebP, JPEG), empty when none
  // When set, a file not yet at hand is not asked for: it is added to the
  // wanted list and the reading goes on as far as it can without it (no
  // drawing comes of that reading). A caller fetches every file one level
  // names in one tool run, and reads again.
  std::function<bool(const std::string& entry)> treeAtHand, bitmapAtHand;
  std::vector<std::string>* wantedTrees = nullptr;
  std::vector<std::string>* wantedBitmaps = nullptr;
  // When set, every tree is parsed once, into this, and later readings take
  // it from here: a caller reading again level after level never parses a
  // file's text twice. Each reading counts every tree's text as before.
  std::map<std::string, ParsedTree>* parsedTrees = nullptr;
  // When set, the values of `resources` parsed once by the caller, which a
  // reading takes in place of parsing the text again.
  const ResourceValues* parsedResources = nullptr;
};

// What one icon may make the reader fetch: each file is asked for once, and
// beyond these the icon is refused. Every file is a run of a helper tool (a
// tenth of a second or more under load), so the cap is what keeps a crafted
// package from holding the window's work for minutes; real icons name a
// handful (the icon, two layers, a gradient or colour list each).
inline constexpr std::size_t kMaxDrawableFiles = 48;
// Tree text over all files, and path data over all paths. The tool prints
// each path's data twice (the value and its raw text), and under Wine it
// prints trees of short lines at a few hundred kilobytes a second: a
// megabyte holds some sixty thousand path commands, more than a launcher
// icon draws, and is printed within seconds.
inline constexpr std::size_t kMaxDrawableText = 1u << 20;
// Every path may copy a gradient; real ones have a handful of stops.
inline constexpr std::size_t kMaxGradientStops = 256;

// iconEntry is the XML entry the badging names, such as
// "res/mipmap-anydpi-v26/ic_launcher.xml". Kind::None when it is neither a
// vector nor an adaptive icon, or anything in it is refused.
AndroidIconDrawing ReadAndroidIcon(const DrawableSources& sources, const std::string& iconEntry);
