#pragma once
// A small XML document read whole into a tree, for readers that look
// elements up by reference (an SVG's gradients, clip paths and reused
// elements). Names keep their namespace URI apart from the local name.
// Documents with a document type declaration are refused whole, so no
// entity is ever declared or expanded; where a format always names its
// public DTD (property lists), a declaration without an internal subset may
// be allowed: it declares nothing, and no external DTD is ever read.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct XmlAttribute {
  std::string uri, name, value;
};

struct XmlElement {
  std::string uri, name;  // uri empty for no namespace
  std::vector<XmlAttribute> attributes;
  std::vector<XmlElement> children;
  std::string text;  // the character data directly inside, concatenated

  // The attribute's value, or nullptr.
  const std::string* attribute(std::string_view uri, std::string_view name) const;
  bool is(std::string_view u, std::string_view n) const { return uri == u && name == n; }
};

struct XmlLimits {
  std::size_t maxBytes = 4u << 20;
  std::size_t maxElements = 50000;
  int maxDepth = 64;
  bool allowExternalDoctype = false;
};

// The document's root element; nothing for a document that is not
// well-formed, declares a document type, or goes beyond the limits.
std::optional<XmlElement> ReadXmlTree(std::string_view xml, const XmlLimits& limits = {});
