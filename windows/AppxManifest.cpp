#include "windows/AppxManifest.h"

#include <expat.h>

#include <memory>
#include <type_traits>

namespace {

constexpr std::string_view kUapNamespace = "http://schemas.microsoft.com/appx/manifest/uap/windows10";
constexpr std::string_view kBundleNamespace = "http://schemas.microsoft.com/appx/2013/bundle";

// Between a namespace URI and a local name in the names expat reports. A
// control character cannot occur in an XML 1.0 document, even as a character
// reference, so no URI can hold it.
constexpr XML_Char kNamespaceSeparator = '\x1F';

// No real logo or package name comes near this; the cap keeps a crafted
// megabyte-long name from being compared with every entry of a listing.
constexpr std::size_t kMaxNameBytes = 1024;

struct ParserFree {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ScopedParser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

struct QualifiedName {
  std::string_view uri;    // empty for a name in no namespace
  std::string_view local;
  bool is(std::string_view u, std::string_view l) const { return uri == u && local == l; }
};

QualifiedName SplitName(const XML_Char* name) {
  const std::string_view whole(name);
  const std::size_t at = whole.find(kNamespaceSeparator);
  if (at == std::string_view::npos) return {{}, whole};
  return {whole.substr(0, at), whole.substr(at + 1)};
}

// The value of an attribute in no namespace, or empty.
std::string_view Attribute(const XML_Char** attributes, std::string_view name) {
  for (int i = 0; attributes[i] && attributes[i + 1]; i += 2) {
    if (attributes[i] == name) return attributes[i + 1];
  }
  return {};
}

// A name worth keeping: present and of a sane length.
bool Keep(std::string_view name) { return !name.empty() && name.size() <= kMaxNameBytes; }

// What a document walk sees: elements with their depth (1 for the root) and
// the character data between them.
class ElementVisitor {
 public:
  virtual ~ElementVisitor() = default;
  virtual void start(int depth, QualifiedName name, const XML_Char** attributes) = 0;
  virtual void end(int /*depth*/) {}
  virtual void text(int /*depth*/, std::string_view /*data*/) {}
};

struct Walk {
  XML_Parser parser = nullptr;
  ElementVisitor* visitor = nullptr;
  int depth = 0;
  bool refused = false;
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  Walk& walk = *static_cast<Walk*>(data);
  walk.visitor->start(++walk.depth, SplitName(name), attributes);
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
  Walk& walk = *static_cast<Walk*>(data);
  walk.visitor->end(walk.depth--);
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  Walk& walk = *static_cast<Walk*>(data);
  if (length > 0) walk.visitor->text(walk.depth, std::string_view(text, static_cast<std::size_t>(length)));
}

// A document type declaration is where entities are declared, internal ones
// that expand into billions of characters as well as external ones that read
// files: the manifests need none, so the first sign of one ends the parse.
void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  Walk& walk = *static_cast<Walk*>(data);
  walk.refused = true;
  XML_StopParser(walk.parser, XML_FALSE);
}

void XMLCALL OnEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                 const XML_Char*, const XML_Char*, const XML_Char*) {
  OnDoctype(data, nullptr, nullptr, nullptr, 0);
}

// True when the whole document parsed, well-formed and without a document
// type declaration; the visitor has then seen every element.
bool WalkDocument(std::string_view xml, ElementVisitor& visitor) {
  if (xml.empty() || xml.size() > kMaxAppxManifestBytes) return false;
  const ScopedParser parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator));
  if (!parser) return false;
  Walk walk{parser.get(), &visitor};
  XML_SetUserData(parser.get(), &walk);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
  XML_SetEntityDeclHandler(parser.get(), OnEntityDeclaration);
  const XML_Status status = XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE);
  return status == XML_STATUS_OK && !walk.refused;
}

class ManifestVisitor : public ElementVisitor {
 public:
  void start(int depth, QualifiedName name, const XML_Char** attributes) override {
    if (depth == 1) {
      // Properties and Logo are in the root's own namespace, whichever
      // generation of the manifest format that is.
      rootNamespace_ = name.uri;
      packageRoot_ = name.local == "Package";
    } else if (depth == 2) {
      inProperties_ = packageRoot_ && name.is(rootNamespace_, "Properties");
    } else if (depth == 3 && inProperties_ && !logoSeen_ && name.is(rootNamespace_, "Logo")) {
      inLogo_ = logoSeen_ = true;
    }
    if (!visualSeen_ && name.is(kUapNamespace, "VisualElements")) {
      // The first application's, as the one the system shows first.
      visualSeen_ = true;
      square44_ = Attribute(attributes, "Square44x44Logo");
      square150_ = Attribute(attributes, "Square150x150Logo");
    }
  }
  void end(int depth) override {
    if (depth == 3) inLogo_ = false;
    if (depth == 2) inProperties_ = false;
  }
  void text(int depth, std::string_view data) override {
    if (!inLogo_ || depth != 3) return;
    // Blanks around the name are allowed; beyond that, a longer text is no name.
    if (logo_.size() + data.size() > 4 * kMaxNameBytes) logoTooLong_ = true;
    if (!logoTooLong_) logo_ += data;
  }

  std::vector<std::string> names() const {
    std::vector<std::string> names;
    for (const std::string& name : {square44_, square150_, logoTooLong_ ? std::string() : Trimmed(logo_)}) {
      if (Keep(name)) names.push_back(name);
    }
    return names;
  }

 private:
  static std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
  }

  std::string rootNamespace_;
  bool packageRoot_ = false, inProperties_ = false, inLogo_ = false, logoSeen_ = false, logoTooLong_ = false;
  bool visualSeen_ = false;
  std::string square44_, square150_, logo_;
};

class BundleVisitor : public ElementVisitor {
 public:
  void start(int depth, QualifiedName name, const XML_Char** attributes) override {
    if (depth == 1) bundleRoot_ = name.is(kBundleNamespace, "Bundle");
    if (depth == 2) inPackages_ = bundleRoot_ && name.is(kBundleNamespace, "Packages");
    if (depth != 3 || !inPackages_ || !name.is(kBundleNamespace, "Package")) return;
    if (Attribute(attributes, "Type") != "application") return;
    const std::string_view fileName = Attribute(attributes, "FileName");
    if (!Keep(fileName)) return;
    if (first_.empty()) first_ = fileName;
    if (x64_.empty() && Attribute(attributes, "Architecture") == "x64") x64_ = fileName;
  }
  void end(int depth) override {
    if (depth == 2) inPackages_ = false;
  }

  std::string chosen() const { return x64_.empty() ? first_ : x64_; }

 private:
  bool bundleRoot_ = false, inPackages_ = false;
  std::string first_, x64_;
};

}  // namespace

std::vector<std::string> AppxLogoNames(std::string_view xml) {
  ManifestVisitor visitor;
  if (!WalkDocument(xml, visitor)) return {};
  return visitor.names();
}

std::string ChooseBundlePackage(std::string_view xml) {
  BundleVisitor visitor;
  if (!WalkDocument(xml, visitor)) return {};
  return visitor.chosen();
}
