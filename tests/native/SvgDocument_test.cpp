#include "draw/SvgDocument.h"
#include "draw/SvgValues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// A 64 x 64 document (viewBox 0 0 64 64) around the given elements.
std::string Svg(const std::string& body, const std::string& root = "") {
  return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
         "xmlns:sodipodi='http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd' width='64' height='64' "
         "viewBox='0 0 64 64' " + root + ">" + body + "</svg>";
}

// The pixel at (x, y) of the document drawn at 64 x 64, as 0xAARRGGBB.
std::uint32_t PixelAt(const std::string& svg, int x, int y) {
  const RgbaImage image = RenderSvgIcon(svg, 64);
  if (image.pixels.empty()) return 0xDEADBEEF;
  const std::uint8_t* p = &image.pixels[(std::size_t(y) * image.width + x) * 4];
  return std::uint32_t(p[3]) << 24 | std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
}

TEST(SvgDocument, EachFeatureAtAPoint) {
  const struct {
    const char* what;
    std::string svg;
    int x, y;
    std::uint32_t argb;
  } kCases[] = {
      {"rect, named colour", Svg("<rect x='8' y='8' width='48' height='48' fill='teal'/>"), 32, 32, 0xFF008080},
      {"outside the rect", Svg("<rect x='8' y='8' width='48' height='48' fill='teal'/>"), 4, 4, 0x00000000},
      {"black by default, #rgb", Svg("<path d='M0 0H64V64H0z'/><circle cx='32' cy='32' r='10' fill='#f00'/>"), 2, 2, 0xFF000000},
      {"circle", Svg("<circle cx='32' cy='32' r='10' fill='#f00'/>"), 32, 32, 0xFFFF0000},
      {"ellipse", Svg("<ellipse cx='32' cy='32' rx='30' ry='4' fill='rgb(0,0,255)'/>"), 60, 32, 0xFF0000FF},
      {"rounded corner left open", Svg("<rect width='64' height='64' rx='20' fill='red'/>"), 1, 1, 0x00000000},
      {"polygon", Svg("<polygon points='0,0 64,0 0,64' fill='#00ff00'/>"), 10, 10, 0xFF00FF00},
      {"polyline stroked", Svg("<polyline points='0 32 64 32' fill='none' stroke='blue' stroke-width='8'/>"), 32, 30, 0xFF0000FF},
      {"line stroked, square cap", Svg("<line x1='8' y1='32' x2='56' y2='32' stroke='red' stroke-width='8' stroke-linecap='square'/>"), 5, 32, 0xFFFF0000},
      {"style overrides the attribute", Svg("<rect width='64' height='64' fill='red' style='fill:#0000ff'/>"), 32, 32, 0xFF0000FF},
      {"fill-opacity", Svg("<rect width='64' height='64' fill='#000' fill-opacity='0.5'/>"), 32, 32, 0x80000000},
      {"group opacity", Svg("<g opacity='0.5'><rect width='64' height='64' fill='blue'/><rect width='64' height='64' fill='red'/></g>"), 32, 32, 0x80FF0000},
      {"currentColor", Svg("<g color='lime'><rect width='64' height='64' fill='currentColor'/></g>"), 32, 32, 0xFF00FF00},
      {"translate", Svg("<rect width='8' height='8' fill='red' transform='translate(40 40)'/>"), 44, 44, 0xFFFF0000},
      {"scale and rotate", Svg("<rect x='-4' y='-4' width='8' height='8' fill='red' transform='translate(32 32) rotate(45) scale(3)'/>"), 32, 16, 0xFFFF0000},
      {"matrix", Svg("<rect width='8' height='8' fill='red' transform='matrix(2 0 0 2 10 10)'/>"), 24, 24, 0xFFFF0000},
      {"skewX", Svg("<rect width='10' height='64' fill='red' transform='skewX(45)'/>"), 60, 58, 0xFFFF0000},
      {"evenodd hole", Svg("<path fill-rule='evenodd' d='M0 0H64V64H0z M16 16H48V48H16z' fill='red'/>"), 32, 32, 0x00000000},
      {"linear gradient, bounding box", Svg("<linearGradient id='g'><stop offset='0' stop-color='#000'/><stop offset='1' stop-color='#fff'/></linearGradient>"
                                            "<rect x='32' width='32' height='64' fill='url(#g)'/>"), 63, 32, 0xFFFCFCFC},
      {"radial gradient, user space, inherited stops",
       Svg("<defs><radialGradient id='s'><stop offset='0' stop-color='red'/><stop offset='1' stop-color='blue'/></radialGradient>"
           "<radialGradient id='g' xlink:href='#s' gradientUnits='userSpaceOnUse' cx='32' cy='32' r='32'/></defs>"
           "<rect width='64' height='64' fill='url(#g)'/>"), 32, 32, 0xFFFE0001},
      {"gradient transform", Svg("<linearGradient id='g' gradientTransform='rotate(90)'><stop offset='0' stop-color='red'/>"
                                 "<stop offset='1' stop-color='blue'/></linearGradient><rect width='64' height='64' fill='url(#g)'/>"), 32, 1, 0xFFFD0002},
      {"reflected spread", Svg("<linearGradient id='g' x2='0.5' spreadMethod='reflect'><stop offset='0' stop-color='red'/>"
                               "<stop offset='1' stop-color='blue'/></linearGradient><rect width='64' height='64' fill='url(#g)'/>"), 63, 32, 0xFFFD0002},
      {"a shape not drawn is not read", Svg("<rect width='x' visibility='hidden'/><circle r='-1' fill='none'/>"
                                            "<rect width='64' height='64' fill='red'/>"), 32, 32, 0xFFFF0000},
      {"a missing gradient's fallback", Svg("<rect width='64' height='64' fill='url(#none) green'/>"), 32, 32, 0xFF008000},
      {"clip path", Svg("<clipPath id='c'><rect width='32' height='64'/></clipPath><rect width='64' height='64' fill='red' clip-path='url(#c)'/>"), 48, 32, 0x00000000},
      {"inside the clip", Svg("<clipPath id='c'><rect width='32' height='64'/></clipPath><rect width='64' height='64' fill='red' clip-path='url(#c)'/>"), 16, 32, 0xFFFF0000},
      // Checked against rsvg-convert: a clip path takes a shape through use, nothing from a group.
      {"clip through use", Svg("<defs><rect id='r' width='20' height='20'/><clipPath id='c'><use xlink:href='#r' x='40' y='40'/>"
                               "<g><rect width='20' height='20'/></g></clipPath></defs><rect width='64' height='64' fill='red' clip-path='url(#c)'/>"), 50, 50, 0xFFFF0000},
      {"no clip from a group", Svg("<defs><rect id='r' width='20' height='20'/><clipPath id='c'><use xlink:href='#r' x='40' y='40'/>"
                                   "<g><rect width='20' height='20'/></g></clipPath></defs><rect width='64' height='64' fill='red' clip-path='url(#c)'/>"), 10, 10, 0x00000000},
      {"use, moved", Svg("<defs><rect id='r' width='8' height='8' fill='red'/></defs><use xlink:href='#r' x='50' y='50'/>"), 54, 54, 0xFFFF0000},
      {"dashes", Svg("<path d='M0 32H64' stroke='red' stroke-width='8' stroke-dasharray='8'/>"), 12, 32, 0x00000000},
      {"viewBox kept square in a wide box", "<svg xmlns='http://www.w3.org/2000/svg' width='128' height='64' viewBox='0 0 10 10'>"
                                             "<rect width='10' height='10' fill='red'/></svg>", 32, 40, 0xFFFF0000},
      {"hidden layer and editor data pass", Svg("<sodipodi:namedview/><metadata><x/></metadata><title>t</title>"
                                                 "<g style='display:none'><text>hi</text></g><rect width='64' height='64' fill='red' sodipodi:nodetypes='cccc'/>"
                                                 "<defs><filter id='unused'/></defs>"), 32, 32, 0xFFFF0000},
      // Masks, filters and pictures; each value as rsvg-convert draws it.
      {"mask of 50 % grey: luminance of sRGB values", Svg("<mask id='m'><rect width='64' height='64' fill='#808080'/></mask>"
                                                          "<rect width='64' height='64' fill='blue' mask='url(#m)'/>"), 32, 32, 0x800000FF},
      {"outside the mask's region", Svg("<mask id='m' maskUnits='userSpaceOnUse' x='0' y='0' width='32' height='64'>"
                                        "<rect width='64' height='64' fill='white'/></mask><rect width='64' height='64' fill='blue' mask='url(#m)'/>"),
       48, 32, 0x00000000},
      {"mask content in the bounds' fractions", Svg("<mask id='m' maskContentUnits='objectBoundingBox'><rect width='.5' height='1' fill='white'/>"
                                                    "</mask><rect x='32' width='32' height='64' fill='blue' mask='url(#m)'/>"), 56, 32, 0x00000000},
      {"alpha mask", Svg("<mask id='m' mask-type='alpha'><rect width='64' height='64' fill='black' fill-opacity='.5'/></mask>"
                         "<rect width='64' height='64' fill='red' mask='url(#m)'/>"), 32, 32, 0x80FF0000},
      {"blur spreads", Svg("<filter id='f' x='-1' y='-1' width='3' height='3'><feGaussianBlur stdDeviation='4'/></filter>"
                           "<rect x='24' y='24' width='16' height='16' fill='blue' filter='url(#f)'/>"), 18, 32, 0x180000FF},
      {"blur cut at the filter's region", Svg("<filter id='f'><feGaussianBlur stdDeviation='4'/></filter>"
                                              "<rect x='24' y='24' width='16' height='16' fill='blue' filter='url(#f)'/>"), 21, 32, 0x00000000},
      {"drop shadow", Svg("<filter id='f' style='color-interpolation-filters:sRGB' x='-.5' y='-.5' width='2' height='2'>"
                          "<feFlood flood-opacity='.5' result='a'/><feComposite in='a' in2='SourceGraphic' operator='in'/>"
                          "<feGaussianBlur stdDeviation='1'/><feOffset dx='8' dy='8' result='s'/>"
                          "<feMerge><feMergeNode in='s'/><feMergeNode in='SourceGraphic'/></feMerge></filter>"
                          "<rect x='16' y='16' width='24' height='24' fill='red' filter='url(#f)'/>"), 44, 44, 0x80000000},
      {"blur in linear RGB", Svg("<filter id='f' x='0' y='0' width='1' height='1'><feGaussianBlur stdDeviation='4'/></filter>"
                                 "<g filter='url(#f)'><rect width='32' height='64' fill='red'/><rect x='32' width='32' height='64' fill='lime'/></g>"),
       32, 32, 0xFFB4C300},
      {"blur in sRGB", Svg("<filter id='f' x='0' y='0' width='1' height='1' color-interpolation-filters='sRGB'><feGaussianBlur stdDeviation='4'/>"
                           "</filter><g filter='url(#f)'><rect width='32' height='64' fill='red'/><rect x='32' width='32' height='64' fill='lime'/></g>"),
       32, 32, 0xFF748B00},
      {"blurred, then clipped", Svg("<clipPath id='c'><rect width='64' height='32'/></clipPath><filter id='f'><feGaussianBlur stdDeviation='3'/>"
                                    "</filter><rect x='8' y='8' width='48' height='48' fill='blue' filter='url(#f)' clip-path='url(#c)'/>"),
       32, 31, 0xFF0000FF},
      {"composite out", Svg("<filter id='f'><feOffset dx='16' result='o'/><feComposite in='SourceGraphic' in2='o' operator='out'/></filter>"
                            "<rect x='8' y='8' width='32' height='48' fill='red' filter='url(#f)'/>"), 30, 32, 0x00000000},
      {"composite arithmetic", Svg("<filter id='f'><feFlood flood-color='blue' result='b'/><feComposite in='SourceGraphic' in2='b' "
                                   "operator='arithmetic' k2='.5' k3='.5'/></filter><rect width='64' height='64' fill='red' filter='url(#f)'/>"),
       32, 32, 0xFFBC00BC},
      {"the source's alpha moved under it", Svg("<filter id='f' x='-.5' y='-.5' width='2' height='2'><feOffset in='SourceAlpha' dx='20' dy='20'/>"
                                                "<feMerge><feMergeNode/><feMergeNode in='SourceGraphic'/></feMerge></filter>"
                                                "<rect x='8' y='8' width='24' height='24' fill='red' filter='url(#f)'/>"), 40, 40, 0xFF000000},
      {"mask and opacity", Svg("<mask id='m'><rect width='64' height='64' fill='white'/></mask>"
                               "<rect width='64' height='64' fill='red' opacity='.5' mask='url(#m)'/>"), 32, 32, 0x80FF0000},
      {"colour matrix", Svg("<filter id='f'><feColorMatrix values='0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 0 0 0 1 0'/></filter>"
                            "<rect width='64' height='64' fill='red' fill-opacity='.5' filter='url(#f)'/>"), 32, 32, 0x80FFFFFF},
      {"context-fill: the current colour", Svg("<g color='lime'><rect width='64' height='64' fill='context-fill' "
                                               "fill-opacity='context-fill-opacity'/></g>"), 32, 32, 0xFF00FF00},
      {"context-stroke: black by default", Svg("<path d='M0 32H64' stroke='context-stroke' stroke-width='8'/>"), 32, 32, 0xFF000000},
      {"embedded PNG", Svg("<image width='64' height='64' xlink:href='data:image/png;base64,"
                           "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4nGP4z8DwHwAFAAH/iZk9HQAAAABJRU5ErkJggg=='/>"),
       32, 32, 0xFFFF0000},
  };
  // Within a few levels: gradients are sampled at pixel centres.
  const auto near = [](std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8) {
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 8) return false;
    }
    return true;
  };
  for (const auto& c : kCases) {
    const std::uint32_t got = PixelAt(c.svg, c.x, c.y);
    EXPECT_TRUE(near(got, c.argb)) << c.what << ": " << std::hex << got;
  }
}

TEST(SvgDocument, WhatCannotBeDrawnRefusesTheDocument) {
  const struct {
    const char* what;
    std::string svg;
  } kCases[] = {
      {"another filter primitive", Svg("<filter id='f'><feTurbulence/></filter><rect width='9' height='9' filter='url(#f)'/>")},
      {"a primitive's own subregion", Svg("<filter id='f'><feGaussianBlur width='5'/></filter><rect width='9' height='9' filter='url(#f)'/>")},
      {"a result no step gave", Svg("<filter id='f'><feOffset in='BackgroundImage'/></filter><rect width='9' height='9' filter='url(#f)'/>")},
      {"a mask that is not there", Svg("<rect width='9' height='9' mask='url(#m)'/>")},
      {"a mask within its own content", Svg("<mask id='m'><rect width='9' height='9' mask='url(#m)'/></mask><rect width='9' height='9' mask='url(#m)'/>")},
      {"masks too deep", Svg("<mask id='m0'><rect width='9' height='9' mask='url(#m1)'/></mask><mask id='m1'><rect width='9' height='9' mask='url(#m2)'/></mask>"
                             "<mask id='m2'><rect width='9' height='9' mask='url(#m3)'/></mask><mask id='m3'><rect width='9' height='9' mask='url(#m4)'/></mask>"
                             "<mask id='m4'><rect width='9' height='9'/></mask><rect width='9' height='9' mask='url(#m0)'/>")},
      {"blurs beyond the canvases allowed", Svg("<filter id='f'>" + [] {
                                                  std::string steps;
                                                  for (int i = 0; i <= kMaxEffectCanvases / 2; ++i) steps += "<feGaussianBlur stdDeviation='1'/>";
                                                  return steps;
                                                }() + "</filter><rect width='64' height='64' filter='url(#f)'/>")},
      {"a mask on the outermost element", Svg("<mask id='m'/>", "mask='url(#m)'")},
      {"an embedded picture not PNG", Svg("<image width='9' height='9' href='data:image/gif;base64,R0lGODlhAQABAAAAACw='/>")},
      {"pattern fill", Svg("<pattern id='p'/><rect width='9' height='9' fill='url(#p)'/>")},
      {"text", Svg("<text>hi</text>")},
      {"image", Svg("<image href='x.png' width='9' height='9'/>")},
      {"style sheet", Svg("<style>rect{fill:red}</style><rect width='9' height='9'/>")},
      {"external gradient", Svg("<rect width='9' height='9' fill='url(other.svg#g)'/>")},
      {"use cycle", Svg("<g id='a'><use xlink:href='#a'/></g>")},
      {"unknown painting element", Svg("<hatch/>")},
      {"document type", "<!DOCTYPE svg [<!ENTITY e 'x'>]><svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'/>"},
      {"not svg", "<html/>"},
      {"no size", "<svg xmlns='http://www.w3.org/2000/svg'/>"},
      {"bad path data", Svg("<path d='M0 0 Q'/>")},
      {"bad colour", Svg("<rect width='9' height='9' fill='#12'/>")},
  };
  for (const auto& c : kCases) EXPECT_TRUE(RenderSvgIcon(c.svg, 64).pixels.empty()) << c.what;
}

TEST(SvgValues, DataUrlBytes) {
  const struct {
    const char* url;
    std::optional<Bytes> bytes;
  } kCases[] = {
      {"data:image/png;base64,iVBO Rw==", Bytes{0x89, 'P', 'N', 'G'}},
      {"DATA:IMAGE/PNG;charset=x;BASE64,AAEC", Bytes{0, 1, 2}},
      {"data:image/png;base64,", Bytes{}},
      {"data:image/gif;base64,AAEC", std::nullopt},
      {"data:image/png,AAEC", std::nullopt},
      {"data:image/png;base64,AA=C", std::nullopt},
      {"data:image/png;base64,A*EC", std::nullopt},
      {"icon.png", std::nullopt},
  };
  for (const auto& c : kCases) EXPECT_EQ(svg::DataUrlBytes(c.url, "image/png"), c.bytes) << c.url;
}

TEST(SvgDocument, RepeatedUseStaysWithinTheLimits) {
  // Ten levels of ten uses each would make 10^10 elements.
  std::string body = "<defs><rect id='l0' width='1' height='1'/>";
  for (int level = 1; level <= 10; ++level) {
    body += "<g id='l" + std::to_string(level) + "'>";
    for (int i = 0; i < 10; ++i) body += "<use xlink:href='#l" + std::to_string(level - 1) + "'/>";
    body += "</g>";
  }
  body += "</defs><use xlink:href='#l10'/>";
  EXPECT_FALSE(ReadSvgDocument(Svg(body)));
}

// `count` copies of text.
std::string Times(int count, const std::string& text) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

// `levels` groups, each using the one before `fanOut` times, over l0.
std::string FanOut(int levels, int fanOut) {
  std::string groups;
  for (int level = 1; level <= levels; ++level) {
    groups += "<g id='l" + std::to_string(level) + "'>" +
              Times(fanOut, "<use xlink:href='#l" + std::to_string(level - 1) + "'/>") + "</g>";
  }
  return groups;
}

// Documents that stand for far more than they hold. Each is refused from
// what it would cost, counted before anything is expanded, and in about the
// time it takes to read it once: before, some took minutes and gigabytes.
TEST(SvgDocument, HostileDocumentsAreRefusedBeforeTheyExpand) {
  const std::string bigPath = "<path id='l0' d='M0 0" + Times(10000, "h1v1") + "'/>";
  const std::string stops = Times(100, "<stop offset='.5' stop-color='red'/>");
  const struct {
    const char* what;
    std::string svg;
    SvgRefusal why;
    std::string feature;
  } kCases[] = {
      {"a big path used many times", Svg("<defs>" + bigPath + "</defs>" + Times(100, "<use xlink:href='#l0'/>")),
       SvgRefusal::BeyondLimits},
      {"uses within uses, ten of each", Svg("<defs><rect id='l0' width='1' height='1'/>" + FanOut(8, 10) +
                                            "</defs><use xlink:href='#l8'/>"), SvgRefusal::BeyondLimits},
      {"uses nested beyond the limit", Svg("<defs><rect id='l0' width='1' height='1'/>" + FanOut(9, 1) +
                                           "</defs><use xlink:href='#l9'/>"), SvgRefusal::BeyondLimits},
      {"gradient stops multiplied through use",
       Svg("<defs><linearGradient id='g'>" + stops + "</linearGradient><rect id='r' width='1' height='1' fill='url(#g)'/>" +
           "<g id='l0'>" + Times(10, "<use xlink:href='#r'/>") + "</g></defs>" + Times(100, "<use xlink:href='#l0'/>")),
       SvgRefusal::BeyondLimits},
      {"a group's gradient given to each shape", Svg("<defs><linearGradient id='g'>" + Times(400, "<stop/>") +
                                                     "</linearGradient></defs><g fill='url(#g)'>" +
                                                     Times(200, "<rect width='1' height='1'/>") + "</g>"),
       SvgRefusal::BeyondLimits},
      {"a long style read at every use", Svg("<defs><rect id='l0' width='1' height='1' style='" +
                                             Times(100000, "fill:red;") + "'/></defs>" +
                                             Times(40, "<use xlink:href='#l0'/>")), SvgRefusal::BeyondLimits},
      {"a style sheet after many uses", Svg("<defs><rect id='l0' width='1' height='1'/>" + FanOut(8, 10) + "</defs>" +
                                            Times(100, "<use xlink:href='#l8'/>") + "<style>rect{fill:red}</style>"),
       SvgRefusal::Feature, "a style sheet"},
      {"text after many uses", Svg("<defs><rect id='l0' width='1' height='1'/>" + FanOut(8, 10) + "</defs>" +
                                   Times(100, "<use xlink:href='#l8'/>") + "<text>x</text>"),
       SvgRefusal::Feature, "text"},
      // Within the reader's limits, beyond the drawing's: curves far off the
      // canvas flatten into millions of edges, refused unflattened.
      {"huge curves", Svg("<path d='M0 0" + Times(2000, "C-9e3 -9e3 9e3 9e3 -9e3 9e3") + "'/>"), SvgRefusal::BeyondLimits},
      {"a path used often, within the limits",
       Svg("<defs><path id='p' d='M0 0" + Times(500, "h.1v.1") + "'/></defs>" + Times(10, "<use xlink:href='#p'/>")),
       SvgRefusal::None},
  };
  for (const auto& c : kCases) {
    const SvgPicture picture = DrawSvgIcon(c.svg, 64);
    EXPECT_EQ(picture.refused.why, c.why) << c.what;
    EXPECT_EQ(picture.refused.feature, c.feature) << c.what;
    EXPECT_EQ(picture.image.pixels.empty(), c.why != SvgRefusal::None) << c.what;
  }
}

TEST(SvgDocument, StopsWhenToldTo) {
  const std::string svg = Svg(Times(3000, "<g/>") + "<rect width='1' height='1'/>");
  int asked = 0;
  const SvgPicture picture = DrawSvgIcon(svg, 64, [&] { return ++asked < 2; });
  EXPECT_EQ(picture.refused.why, SvgRefusal::Cancelled);
  EXPECT_TRUE(picture.image.pixels.empty());
  EXPECT_EQ(DrawSvgIcon(svg, 64, [] { return true; }).refused.why, SvgRefusal::None);
}

TEST(SvgDocument, RefusedDocumentsNameWhatTheyUse) {
  const struct {
    std::string svg;
    const char* feature;
  } kCases[] = {
      {Svg("<rect width='8' height='8'/><text>xterm</text>"), "text"},
      {Svg("<style>.a{fill:red}</style><rect class='a' width='8' height='8'/>"), "a style sheet"},
      {Svg("<filter id='f'><feGaussianBlur stdDeviation='1'/><feMorphology radius='1'/></filter>"), "a filter (feMorphology)"},
      {Svg("<rect width='8' height='8'/>"), ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(SvgRefusedFeature(c.svg), c.feature) << c.svg;
}

}  // namespace
