#include "windows/AppxManifest.h"

#include <optional>

#include "support/XmlTree.h"

namespace {

constexpr std::string_view kUapNamespace = "http://schemas.microsoft.com/appx/manifest/uap/windows10";
constexpr std::string_view kBundleNamespace = "http://schemas.microsoft.com/appx/2013/bundle";

// No real logo or package name comes near this; the cap keeps a crafted
// megabyte-long name from being compared with every entry of a listing.
constexpr std::size_t kMaxNameBytes = 1024;

// The whole document as a tree; nothing when it is refused. Real manifests
// nest a few levels and hold a few hundred elements, far inside the tree's
// limits; a document type declaration of any kind is refused, as the
// manifests need none and it is where entities would be declared.
std::optional<XmlElement> ReadManifest(std::string_view xml) {
  XmlLimits limits;
  limits.maxBytes = kMaxAppxManifestBytes;
  return ReadXmlTree(xml, limits);
}

// The value of an attribute in no namespace, or empty.
std::string_view Attribute(const XmlElement& element, std::string_view name) {
  const std::string* value = element.attribute({}, name);
  return value ? std::string_view(*value) : std::string_view();
}

// A name worth keeping: present and of a sane length.
bool Keep(std::string_view name) { return !name.empty() && name.size() <= kMaxNameBytes; }

// The first element of that name in document order, the root included.
const XmlElement* FindFirst(const XmlElement& element, std::string_view uri, std::string_view name) {
  if (element.is(uri, name)) return &element;
  for (const XmlElement& child : element.children) {
    if (const XmlElement* found = FindFirst(child, uri, name)) return found;
  }
  return nullptr;
}

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

// The package's Properties/Logo text: the first Logo of a Properties, both
// in the root's own namespace, whichever generation of the manifest format
// that is. Blanks around the name are allowed; beyond that, a longer text is
// no name.
std::string PropertiesLogo(const XmlElement& root) {
  if (root.name != "Package") return {};
  for (const XmlElement& properties : root.children) {
    if (!properties.is(root.uri, "Properties")) continue;
    for (const XmlElement& logo : properties.children) {
      if (!logo.is(root.uri, "Logo")) continue;
      return logo.text.size() > 4 * kMaxNameBytes ? std::string() : Trimmed(logo.text);
    }
  }
  return {};
}

}  // namespace

std::vector<std::string> AppxLogoNames(std::string_view xml) {
  const std::optional<XmlElement> root = ReadManifest(xml);
  if (!root) return {};
  std::string_view square44, square150;
  // The first application's, as the one the system shows first.
  if (const XmlElement* visual = FindFirst(*root, kUapNamespace, "VisualElements")) {
    square44 = Attribute(*visual, "Square44x44Logo");
    square150 = Attribute(*visual, "Square150x150Logo");
  }
  const std::string logo = PropertiesLogo(*root);
  std::vector<std::string> names;
  for (const std::string_view name : {square44, square150, std::string_view(logo)}) {
    if (Keep(name)) names.emplace_back(name);
  }
  return names;
}

std::string ChooseBundlePackage(std::string_view xml) {
  const std::optional<XmlElement> root = ReadManifest(xml);
  if (!root || !root->is(kBundleNamespace, "Bundle")) return {};
  std::string_view first, x64;
  for (const XmlElement& packages : root->children) {
    if (!packages.is(kBundleNamespace, "Packages")) continue;
    for (const XmlElement& package : packages.children) {
      if (!package.is(kBundleNamespace, "Package") || Attribute(package, "Type") != "application") continue;
      const std::string_view fileName = Attribute(package, "FileName");
      if (!Keep(fileName)) continue;
      if (first.empty()) first = fileName;
      if (x64.empty() && Attribute(package, "Architecture") == "x64") x64 = fileName;
    }
  }
  return std::string(x64.empty() ? first : x64);
}
