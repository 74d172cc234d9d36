#include "android/ToolXmlTree.h"

#include <bit>
#include <cmath>
#include <utility>

#include "support/TextScan.h"

std::optional<std::uint32_t> TakeHex(std::string_view& text) {
  if (!text.starts_with("0x")) return std::nullopt;
  std::size_t at = 2;
  std::uint32_t value = 0;
  for (; at < text.size() && HexDigitValue(text[at]) >= 0; ++at) {
    if (at - 2 == 8) return std::nullopt;  // beyond 32 bits
    value = value << 4 | static_cast<std::uint32_t>(HexDigitValue(text[at]));
  }
  if (at == 2) return std::nullopt;
  text.remove_prefix(at);
  return value;
}

// Escapes other than \\, \" and \n do not occur and are kept as printed.
std::optional<std::string> TakeQuoted(std::string_view& text) {
  if (!text.starts_with('"')) return std::nullopt;
  std::string out;
  for (std::size_t at = 1; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '"') {
      text.remove_prefix(at + 1);
      return out;
    }
    if (c != '\\' || at + 1 == text.size()) {
      out += c;
      continue;
    }
    const char next = text[++at];
    if (next == 'n') out += '\n';
    else if (next == '"' || next == '\\') out += next;
    else out.append({'\\', next});
  }
  return std::nullopt;
}

namespace {

// Where the binary point sits in a complex value's 24-bit mantissa.
constexpr double kRadixScale[4] = {1.0, 1.0 / (1 << 7), 1.0 / (1 << 15), 1.0 / (1 << 23)};

double ComplexNumber(std::uint32_t data) {
  const auto mantissa = static_cast<std::int32_t>(data & 0xffffff00u) >> 8;
  return mantissa * kRadixScale[(data >> 4) & 3];
}

// dp per unit at 160 dpi, by the unit in the low four bits: px, dp, sp,
// pt, in, mm.
constexpr double kDpPerUnit[6] = {1.0, 1.0, 1.0, 160.0 / 72.0, 160.0, 160.0 / 25.4};

// An attribute line's text after "A: ", e.g.
// android:fillColor(0x01010404)=@0x7f010000. Empty when it holds no value.
std::optional<ToolAttribute> ParseAttribute(std::string_view body) {
  const std::size_t equals = body.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  std::optional<ResValue> value = ParseToolValue(body.substr(equals + 1));
  if (!value) return std::nullopt;
  ToolAttribute attribute;
  attribute.value = std::move(*value);
  std::string_view name = body.substr(0, equals);
  const std::size_t open = name.rfind("(0x");
  if (name.ends_with(')') && open != std::string_view::npos) {
    std::string_view id = name.substr(open + 1, name.size() - open - 2);
    const std::optional<std::uint32_t> number = TakeHex(id);
    if (number && id.empty()) {
      attribute.id = *number;
      name = name.substr(0, open);
    }
  }
  attribute.name = name;
  return attribute;
}

}  // namespace

const ToolAttribute* ToolElement::attribute(std::uint32_t id) const {
  for (const ToolAttribute& a : attributes) {
    if (a.id == id) return &a;
  }
  return nullptr;
}

std::optional<ResValue> ParseToolValue(std::string_view text) {
  ResValue value;
  if (text.starts_with('"')) {
    std::optional<std::string> string = TakeQuoted(text);
    if (!string) return std::nullopt;
    value.type = kResString;
    value.string = std::move(*string);
    return value;
  }
  if (text.starts_with('@') || text.starts_with('?')) {
    value.type = text[0] == '@' ? kResReference : kResAttribute;
    text.remove_prefix(1);
    const std::optional<std::uint32_t> data = TakeHex(text);
    if (!data) return std::nullopt;
    value.data = *data;
    return value;
  }
  if (!text.starts_with("(type ")) return std::nullopt;
  text.remove_prefix(6);
  const std::optional<std::uint32_t> type = TakeHex(text);
  if (!type || *type > 0xff || !text.starts_with(')')) return std::nullopt;
  text.remove_prefix(1);
  const std::optional<std::uint32_t> data = TakeHex(text);
  if (!data) return std::nullopt;
  value.type = static_cast<std::uint8_t>(*type);
  value.data = *data;
  return value;
}

ToolXmlTree ParseToolXmlTree(std::string_view text) {
  if (text.size() > kMaxXmlTreeText) return {};
  ToolXmlTree tree;
  // The open elements, innermost last, each with its indentation.
  std::vector<std::pair<std::size_t, std::size_t>> open;
  auto closeTo = [&open](std::size_t indent) {
    while (!open.empty() && open.back().first >= indent) open.pop_back();
  };
  while (!text.empty()) {
    const std::string_view line = NextLine(text);
    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string_view::npos) continue;
    const std::string_view body = line.substr(indent);
    if (body.starts_with("E: ")) {
      closeTo(indent);
      // A second root, or more than the limits allow, is no drawable's tree.
      if (open.empty() && !tree.elements.empty()) return {};
      if (open.size() >= static_cast<std::size_t>(kMaxXmlTreeDepth) || tree.elements.size() >= kMaxXmlTreeElements) return {};
      const std::string_view name = body.substr(3, body.find(' ', 3) - 3);
      if (!open.empty()) tree.elements[open.back().second].children.push_back(tree.elements.size());
      open.emplace_back(indent, tree.elements.size());
      tree.elements.push_back(ToolElement{std::string(name), {}, {}});
    } else if (body.starts_with("A: ")) {
      closeTo(indent);
      if (open.empty()) continue;
      std::optional<ToolAttribute> attribute = ParseAttribute(body.substr(3));
      if (attribute) tree.elements[open.back().second].attributes.push_back(std::move(*attribute));
    }
    // Namespace (N:) and text (C:) lines, and the tool's complaints, hold
    // nothing a drawable reads.
  }
  return tree;
}

std::optional<float> DecodeFloat(const ResValue& value) {
  if (value.type != kResFloat) return std::nullopt;
  const float number = std::bit_cast<float>(value.data);
  if (!std::isfinite(number)) return std::nullopt;
  return number;
}

std::optional<float> DecodeNumber(const ResValue& value) {
  if (const std::optional<std::int32_t> integer = DecodeInteger(value)) return static_cast<float>(*integer);
  return DecodeFloat(value);
}

std::optional<float> DecodeDimensionDp(const ResValue& value) {
  const std::uint32_t unit = value.data & 0xf;
  if (value.type != kResDimension || unit >= std::size(kDpPerUnit)) return std::nullopt;
  return static_cast<float>(ComplexNumber(value.data) * kDpPerUnit[unit]);
}

std::optional<float> DecodeFraction(const ResValue& value) {
  // Unit 0 is a fraction of the drawable itself ("%"), 1 of its parent ("%p").
  if (value.type != kResFraction || (value.data & 0xf) > 1) return std::nullopt;
  return static_cast<float>(ComplexNumber(value.data));
}

std::optional<std::uint32_t> DecodeColor(const ResValue& value) {
  if (value.type < kResArgb8 || value.type > kResRgb4) return std::nullopt;
  return value.data;
}

std::optional<std::int32_t> DecodeInteger(const ResValue& value) {
  if (value.type != kResIntDec && value.type != kResIntHex) return std::nullopt;
  return static_cast<std::int32_t>(value.data);
}

std::optional<bool> DecodeBoolean(const ResValue& value) {
  if (value.type != kResBoolean) return std::nullopt;
  return value.data != 0;
}

XmlTreeDump SplitXmlTreeDump(std::string_view text) {
  XmlTreeDump dump;
  std::size_t start = std::string_view::npos;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    if (line.starts_with("ERROR")) {
      dump.complete = false;
      break;
    }
    // Warnings the tool prints come on their own lines too: only a namespace
    // or an element at no indentation starts a tree.
    if (line.starts_with("N: ") || line.starts_with("E: ")) {
      if (start != std::string_view::npos) dump.trees.push_back(text.substr(start, at - start));
      start = at;
    }
    at = end + 1;
    if (end == text.size()) at = end;
  }
  if (start != std::string_view::npos) {
    const std::size_t error = dump.complete ? text.size() : text.find("\nERROR") + 1;
    dump.trees.push_back(text.substr(start, error - start));
  }
  return dump;
}
