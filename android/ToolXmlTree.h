#pragma once
// The packaging tool's text for a compiled XML file ("dump xmltree PACKAGE
// ENTRY") read back into elements and typed attribute values, and the
// decoding of those values (dimensions, fractions, floats, colours).
//
// The tool prints one node a line, nested by two blanks of indentation:
//   N: android=http://schemas.android.com/apk/res/android      (namespace; takes a level)
//     E: vector (line=1)
//       A: android:width(0x01010159)=(type 0x5)0x1801           (typed value)
//       A: android:fillColor(0x01010404)=@0x7f010000            (reference)
//       A: android:tint(0x01010121)=?0x1010429                  (theme attribute)
//       A: android:pathData(0x01010405)="M0,0h1z" (Raw: "M0,0h1z")  (string)
// Hexadecimal is printed without leading zeros by the carried tool (Debian's
// aapt pads references to eight digits); either is read. In strings a
// backslash, a double quote and a line feed are escaped as \\, \" and \n.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draw/Drawing.h"

// Android's value types, as the tool prints them after "type".
enum ResType : std::uint8_t {
  kResNull = 0x00,
  kResReference = 0x01,
  kResAttribute = 0x02,  // a theme attribute: its value depends on the theme
  kResString = 0x03,
  kResFloat = 0x04,
  kResDimension = 0x05,
  kResFraction = 0x06,
  kResDynamicReference = 0x07,
  kResDynamicAttribute = 0x08,
  kResIntDec = 0x10,
  kResIntHex = 0x11,
  kResBoolean = 0x12,
  kResArgb8 = 0x1c,
  kResRgb8 = 0x1d,
  kResArgb4 = 0x1e,
  kResRgb4 = 0x1f,
};

// A typed value: an attribute's, or a resource's in one configuration.
struct ResValue {
  std::uint8_t type = kResNull;
  std::uint32_t data = 0;
  std::string string;  // kResString: the text, unescaped

  bool isReference() const { return type == kResReference || type == kResDynamicReference; }
  bool isThemeReference() const { return type == kResAttribute || type == kResDynamicAttribute; }
};

struct ToolAttribute {
  std::string name;      // as printed, e.g. "android:fillColor" (the prefix is the package's own)
  std::uint32_t id = 0;  // the attribute's resource id, 0 when it has none
  ResValue value;
};

struct ToolElement {
  std::string name;
  std::vector<ToolAttribute> attributes;
  std::vector<std::size_t> children;  // indices into ToolXmlTree::elements, in document order

  // The attribute with this resource id, or null. Android matches
  // attributes by id, never by their printed name.
  const ToolAttribute* attribute(std::uint32_t id) const;
};

struct ToolXmlTree {
  std::vector<ToolElement> elements;  // elements[0] is the root; empty when the text held no tree

  const ToolElement* root() const { return elements.empty() ? nullptr : &elements[0]; }
};

// Limits on the tool's text: beyond any of them the text gives no tree.
inline constexpr std::size_t kMaxXmlTreeText = 16u << 20;
inline constexpr std::size_t kMaxXmlTreeElements = 20000;
// Elements nested deeper than the drawable levels (draw/Drawing.h) plus an
// adaptive icon's layer element and a leaf (path, solid, item) are no
// drawable this program reads.
inline constexpr int kMaxXmlTreeDepth = kMaxDrawableDepth + 2;

ToolXmlTree ParseToolXmlTree(std::string_view text);

// "dump xmltree PACKAGE FILE..." prints the files' trees one after another:
// each begins with its one line at no indentation (its first namespace, or
// its root element); the tool's warnings on lines of their own are not
// mistaken for one. The trees in order; a file the tool could not read
// ends the output with an "ERROR:" line, and the trees after it are not
// printed (complete is false then).
struct XmlTreeDump {
  std::vector<std::string_view> trees;
  bool complete = true;
};
XmlTreeDump SplitXmlTreeDump(std::string_view text);

// "0x" and one to eight hexadecimal digits, taken off the front of text.
std::optional<std::uint32_t> TakeHex(std::string_view& text);
// A double-quoted string as the tool escapes it, taken off the front of
// text and unescaped.
std::optional<std::string> TakeQuoted(std::string_view& text);

// Reads one printed value: `"text" (Raw: "...")`, `@0x7f010000`, `?0x1010429`
// or `(type 0x5)0x1801`. Empty for anything else.
std::optional<ResValue> ParseToolValue(std::string_view text);

// Value decoding. Each gives nothing for a value of another type, and
// nothing that is not finite.
//
// A float's 32 bits (kResFloat).
std::optional<float> DecodeFloat(const ResValue& value);
// A float, or an integer taken as a number (as Android's getFloat does).
std::optional<float> DecodeNumber(const ResValue& value);
// A dimension in dp. Complex data: bits 0-3 the unit, 4-5 the radix (where
// the binary point sits in the mantissa), 8-31 the signed mantissa. Units
// other than dp are taken at the baseline density of 160 dpi, where
// 1 px = 1 dp, 1 in = 160 dp, 1 mm = 160 / 25.4 dp, 1 pt = 160 / 72 dp, and
// sp at a font scale of 1 (1 sp = 1 dp).
std::optional<float> DecodeDimensionDp(const ResValue& value);
// A fraction as a number ("50%" and "50%p" are both 0.5).
std::optional<float> DecodeFraction(const ResValue& value);
// 0xAARRGGBB. The tool stores every colour form (#rgb, #argb, #rrggbb,
// #aarrggbb) already widened to 32 bits.
std::optional<std::uint32_t> DecodeColor(const ResValue& value);
std::optional<std::int32_t> DecodeInteger(const ResValue& value);
std::optional<bool> DecodeBoolean(const ResValue& value);
