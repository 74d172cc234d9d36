#include "support/XmlTree.h"

#include <expat.h>

#include <memory>
#include <type_traits>

namespace {

// Between a namespace URI and a local name in the names expat reports: a
// control character, which no XML 1.0 name or URI can hold.
constexpr XML_Char kNamespaceSeparator = '\x1F';

struct ParserFree {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ScopedParser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

void Split(const XML_Char* qualified, std::string& uri, std::string& name) {
  const std::string_view whole(qualified);
  const std::size_t at = whole.find(kNamespaceSeparator);
  if (at == std::string_view::npos) {
    uri.clear();
    name = whole;
  } else {
    uri = whole.substr(0, at);
    name = whole.substr(at + 1);
  }
}

struct Build {
  XML_Parser parser = nullptr;
  const XmlLimits* limits = nullptr;
  std::optional<XmlElement> root;
  std::vector<XmlElement*> open;  // the path from the root to the element being read
  std::size_t elements = 0;
  bool refused = false;

  void refuse() {
    refused = true;
    XML_StopParser(parser, XML_FALSE);
  }
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  Build& b = *static_cast<Build*>(data);
  if (++b.elements > b.limits->maxElements || static_cast<int>(b.open.size()) >= b.limits->maxDepth) return b.refuse();
  XmlElement element;
  Split(name, element.uri, element.name);
  for (int i = 0; attributes[i] && attributes[i + 1]; i += 2) {
    XmlAttribute attribute;
    Split(attributes[i], attribute.uri, attribute.name);
    attribute.value = attributes[i + 1];
    element.attributes.push_back(std::move(attribute));
  }
  if (b.open.empty()) {
    b.root = std::move(element);
    b.open.push_back(&*b.root);
  } else {
    // Pointers to open elements stay valid: only the innermost one's
    // children grow while it is open.
    b.open.back()->children.push_back(std::move(element));
    b.open.push_back(&b.open.back()->children.back());
  }
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
  Build& b = *static_cast<Build*>(data);
  if (!b.open.empty()) b.open.pop_back();
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  Build& b = *static_cast<Build*>(data);
  if (!b.open.empty() && length > 0) b.open.back()->text.append(text, static_cast<std::size_t>(length));
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int internalSubset) {
  Build& b = *static_cast<Build*>(data);
  if (internalSubset || !b.limits->allowExternalDoctype) b.refuse();
}

void XMLCALL OnEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                 const XML_Char*, const XML_Char*, const XML_Char*) {
  static_cast<Build*>(data)->refuse();
}

}  // namespace

const std::string* XmlElement::attribute(std::string_view u, std::string_view n) const {
  for (const XmlAttribute& a : attributes) {
    if (a.uri == u && a.name == n) return &a.value;
  }
  return nullptr;
}

std::optional<XmlElement> ReadXmlTree(std::string_view xml, const XmlLimits& limits) {
  if (xml.empty() || xml.size() > limits.maxBytes) return std::nullopt;
  const ScopedParser parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator));
  if (!parser) return std::nullopt;
  Build build{parser.get(), &limits};
  XML_SetUserData(parser.get(), &build);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
  XML_SetEntityDeclHandler(parser.get(), OnEntityDeclaration);
  const XML_Status status = XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE);
  if (status != XML_STATUS_OK || build.refused) return std::nullopt;
  return std::move(build.root);
}
