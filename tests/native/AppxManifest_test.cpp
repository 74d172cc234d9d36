#include "windows/AppxManifest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

constexpr char kHead[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\"\n"
    "         xmlns:uap=\"http://schemas.microsoft.com/appx/manifest/uap/windows10\">\n";

std::string Manifest(const std::string& body) { return kHead + body + "</Package>\n"; }

struct LogoCase {
  const char* what;
  std::string xml;
  Names expected;
};

TEST(AppxLogoNames, ReadsTheLogosInTheOrderTheyAreTried) {
  const LogoCase cases[] = {
      {"all three",
       Manifest("<Properties><Logo>Assets\\StoreLogo.png</Logo></Properties><Applications><Application>"
                "<uap:VisualElements Square150x150Logo=\"Assets\\Big.png\" Square44x44Logo=\"Assets\\Small.png\"/>"
                "</Application></Applications>"),
       {"Assets\\Small.png", "Assets\\Big.png", "Assets\\StoreLogo.png"}},
      {"any prefix for the namespace",
       "<p:Package xmlns:p=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\" "
       "xmlns:v=\"http://schemas.microsoft.com/appx/manifest/uap/windows10\"><p:Properties><p:Logo> Store.png\n"
       "</p:Logo></p:Properties><v:VisualElements Square44x44Logo=\"A/Small.png\"/></p:Package>",
       {"A/Small.png", "Store.png"}},
      {"the first application's visual elements",
       Manifest("<Applications><Application><uap:VisualElements Square44x44Logo=\"One.png\"/></Application>"
                "<Application><uap:VisualElements Square44x44Logo=\"Two.png\" Square150x150Logo=\"Two150.png\"/>"
                "</Application></Applications>"),
       {"One.png"}},
      {"a VisualElements in another namespace is not the one",
       Manifest("<VisualElements Square44x44Logo=\"Foundation.png\"/>"
                "<x:VisualElements xmlns:x=\"urn:other\" Square44x44Logo=\"Other.png\"/>"),
       {}},
      {"the uap prefix bound to another namespace",
       "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\" "
       "xmlns:uap=\"urn:not-uap\"><uap:VisualElements Square44x44Logo=\"Fake.png\"/></Package>",
       {}},
      {"a Logo outside Properties",
       Manifest("<Logo>Root.png</Logo><Applications><Logo>App.png</Logo></Applications>"), {}},
      {"character references decoded",
       Manifest("<uap:VisualElements Square44x44Logo=\"Assets\\My&#x20;Logo &amp; more.png\"/>"),
       {"Assets\\My Logo & more.png"}},
      {"UTF-8 names kept as UTF-8",
       Manifest("<uap:VisualElements Square44x44Logo=\"Assets\\\xE5\xBE\xBD\xE6\xA0\x87.png\"/>"),
       {"Assets\\\xE5\xBE\xBD\xE6\xA0\x87.png"}},
      {"empty attributes give nothing", Manifest("<uap:VisualElements Square44x44Logo=\"\"/>"), {}},
      {"a name longer than 1024 bytes is dropped",
       Manifest("<uap:VisualElements Square44x44Logo=\"" + std::string(1025, 'a') + "\" Square150x150Logo=\"B.png\"/>"),
       {"B.png"}},
  };
  for (const LogoCase& c : cases) EXPECT_EQ(AppxLogoNames(c.xml), c.expected) << c.what;
}

TEST(AppxLogoNames, RefusedDocumentsGiveNothing) {
  const std::string visual = "<uap:VisualElements Square44x44Logo=\"Assets\\Small.png\"/>";
  const LogoCase cases[] = {
      {"a document type declaration, even an empty one",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE Package>\n" + Manifest(visual).substr(39), {}},
      {"an entity expanding a thousandfold",
       "<!DOCTYPE Package [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
       "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>" +
           Manifest("<uap:VisualElements Square44x44Logo=\"&c;\"/>").substr(39),
       {}},
      {"an external entity",
       "<!DOCTYPE Package [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
           Manifest("<Properties><Logo>&x;</Logo></Properties>" + visual).substr(39),
       {}},
      {"not well-formed after the logos", Manifest(visual) + "<trailing>", {}},
      {"cut short", Manifest(visual).substr(0, 200), {}},
      {"no document", "", {}},
      {"larger than the cap", Manifest(visual + std::string(kMaxAppxManifestBytes, ' ')), {}},
  };
  for (const LogoCase& c : cases) EXPECT_EQ(AppxLogoNames(c.xml), c.expected) << c.what;
  EXPECT_EQ(AppxLogoNames(Manifest(visual)), Names{"Assets\\Small.png"}) << "the same document, well kept";
}

constexpr char kBundleHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Bundle xmlns=\"http://schemas.microsoft.com/appx/2013/bundle\" SchemaVersion=\"5.0\"><Packages>";

std::string Bundle(const std::string& packages) { return kBundleHead + packages + "</Packages></Bundle>"; }

struct BundleCase {
  const char* what;
  std::string xml;
  std::string expected;
};

TEST(ChooseBundlePackage, TakesX64ElseTheFirstApplicationPackage) {
  const BundleCase cases[] = {
      {"x64 after x86",
       Bundle("<Package Type=\"application\" Architecture=\"x86\" FileName=\"App_x86.msix\"/>"
              "<Package Type=\"application\" Architecture=\"x64\" FileName=\"App x64.msix\"/>"),
       "App x64.msix"},
      {"no x64: the first application package, resources skipped",
       Bundle("<Package Type=\"resource\" FileName=\"App_scale-200.msix\"/>"
              "<Package Type=\"application\" Architecture=\"arm64\" FileName=\"App_arm64.msix\"/>"
              "<Package Type=\"application\" Architecture=\"x86\" FileName=\"App_x86.msix\"/>"),
       "App_arm64.msix"},
      {"a resource package for x64 is not chosen",
       Bundle("<Package Type=\"resource\" Architecture=\"x64\" FileName=\"Res.msix\"/>"
              "<Package Type=\"application\" Architecture=\"neutral\" FileName=\"App.msix\"/>"),
       "App.msix"},
      {"any prefix",
       "<b:Bundle xmlns:b=\"http://schemas.microsoft.com/appx/2013/bundle\"><b:Packages>"
       "<b:Package Type=\"application\" Architecture=\"x64\" FileName=\"P.appx\"/></b:Packages></b:Bundle>",
       "P.appx"},
      {"packages outside Packages do not count",
       kBundleHead + std::string("</Packages><OptionalBundle><Package Type=\"application\" FileName=\"Opt.msix\"/>"
                                 "</OptionalBundle><Packages></Packages></Bundle>"),
       ""},
      {"another namespace",
       "<Bundle xmlns=\"urn:other\"><Packages><Package Type=\"application\" FileName=\"X.msix\"/></Packages></Bundle>",
       ""},
      {"no application package", Bundle("<Package Type=\"resource\" FileName=\"Res.msix\"/>"), ""},
      {"a document type declaration",
       "<!DOCTYPE Bundle>" + Bundle("<Package Type=\"application\" Architecture=\"x64\" FileName=\"A.msix\"/>"), ""},
  };
  for (const BundleCase& c : cases) EXPECT_EQ(ChooseBundlePackage(c.xml), c.expected) << c.what;
}

}  // namespace
