#include "windows/AppxIconChoice.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

std::vector<ArchiveEntry> Entries(std::initializer_list<const char*> paths) {
  std::vector<ArchiveEntry> entries;
  for (const char* path : paths) entries.push_back({path, 100});
  return entries;
}

TEST(PercentDecoded, EscapesAndStrayPercents) {
  const std::pair<const char*, const char*> cases[] = {
      {"My%20Logo.png", "My Logo.png"}, {"caf%C3%A9.png", "caf\xC3\xA9.png"}, {"100%25.png", "100%.png"},
      {"a%2", "a%2"},                   {"a%zz.png", "a%zz.png"},            {"%", "%"},
      {"plain.png", "plain.png"},
  };
  for (const auto& [stored, decoded] : cases) EXPECT_EQ(PercentDecoded(stored), decoded) << stored;
}

TEST(FindPackageEntry, DecodedCaseAndSeparatorBlind) {
  const std::vector<ArchiveEntry> entries =
      Entries({"AppxMetadata\\AppxBundleManifest.xml", "App%20x64.msix", "appxmanifest.XML"});
  const std::pair<const char*, const char*> cases[] = {
      {"AppxMetadata/AppxBundleManifest.xml", "AppxMetadata\\AppxBundleManifest.xml"},
      {"App x64.msix", "App%20x64.msix"},
      {"AppxManifest.xml", "appxmanifest.XML"},
      {"App%20x64.msix", ""},  // names from documents are not decoded twice
      {"", ""},
  };
  for (const auto& [name, found] : cases) {
    const ArchiveEntry* entry = FindPackageEntry(entries, name);
    EXPECT_EQ(entry ? entry->path : "", found) << name;
  }
}

struct ChoiceCase {
  const char* what;
  std::vector<ArchiveEntry> entries;
  const char* resource;
  const char* chosen;
};

TEST(ChooseLogoEntry, PreferenceAmongTheFilesANameStandsFor) {
  const ChoiceCase cases[] = {
      {"unplated target sizes first, the largest",
       Entries({"Assets\\Logo.scale-400.png", "Assets\\Logo.targetsize-256.png",
                "Assets\\Logo.targetsize-24_altform-unplated.png", "Assets\\Logo.targetsize-48_altform-unplated.png",
                "Assets\\Logo.targetsize-32_altform-unplated.png", "Assets\\Logo.png"}),
       "Assets\\Logo.png", "Assets\\Logo.targetsize-48_altform-unplated.png"},
      {"then plain target sizes",
       Entries({"Assets\\Logo.scale-400.png", "Assets\\Logo.targetsize-16.png", "Assets\\Logo.targetsize-256.png",
                "Assets\\Logo.targetsize-48.png"}),
       "Assets\\Logo.png", "Assets\\Logo.targetsize-256.png"},
      {"then scales",
       Entries({"Assets\\Logo.png", "Assets\\Logo.scale-100.png", "Assets\\Logo.scale-400.png",
                "Assets\\Logo.scale-200.png"}),
       "Assets\\Logo.png", "Assets\\Logo.scale-400.png"},
      {"then the name itself", Entries({"Assets\\Other.scale-200.png", "Assets\\Logo.png"}), "Assets\\Logo.png",
       "Assets\\Logo.png"},
      {"contrast, theme and light-unplated variants never",
       Entries({"Assets\\Logo.targetsize-256_altform-lightunplated.png",
                "Assets\\Logo.targetsize-256_contrast-black_altform-unplated.png",
                "Assets\\Logo.theme-dark_targetsize-256.png", "Assets\\Logo.contrast-white_scale-400.png",
                "Assets\\Logo.targetsize-16.png"}),
       "Assets\\Logo.png", "Assets\\Logo.targetsize-16.png"},
      {"qualifiers as folders",
       Entries({"Assets\\scale-100\\Logo.png", "Assets\\scale-400\\Logo.png", "Assets\\contrast-high\\scale-400\\x.png",
                "Assets\\scale-200\\Logo.png"}),
       "Assets\\Logo.png", "Assets\\scale-400\\Logo.png"},
      {"folder and file qualifiers together",
       Entries({"Assets\\contrast-high\\Logo.targetsize-256.png", "Assets\\lang-en-us\\Logo.targetsize-32.png"}),
       "Assets\\Logo.png", "Assets\\lang-en-us\\Logo.targetsize-32.png"},
      {"a stored name with a blank, matched decoded, found as stored",
       Entries({"Assets\\My%20Logo.scale-100.png", "Assets\\My%20Logo.scale-200.png", "Assets\\MyLogo.scale-400.png"}),
       "Assets\\My Logo.png", "Assets\\My%20Logo.scale-200.png"},
      {"case and separators do not matter",
       Entries({"assets\\LOGO.Scale-200.PNG"}), "Assets/Logo.png", "assets\\LOGO.Scale-200.PNG"},
      {"dots in the stem", Entries({"Assets\\My.App.scale-200.png", "Assets\\My.scale-400.png"}), "Assets\\My.App.png",
       "Assets\\My.App.scale-200.png"},
      {"an unknown qualifier is part of the name",
       Entries({"Assets\\Logo.size-400.png", "Assets\\Logo.scale-x.png", "Assets\\other-100\\Logo.png"}),
       "Assets\\Logo.png", ""},
      {"another folder is another name", Entries({"Other\\Logo.scale-200.png", "Logo.scale-200.png"}),
       "Assets\\Logo.png", ""},
      {"a tie goes to the earlier entry",
       Entries({"Assets\\scale-200\\Logo.png", "Assets\\Logo.scale-200.png"}), "Assets\\Logo.png",
       "Assets\\scale-200\\Logo.png"},
      {"no files at all", {}, "Assets\\Logo.png", ""},
      {"no name", Entries({"Logo.png"}), "", ""},
  };
  for (const ChoiceCase& c : cases) {
    const ArchiveEntry* entry = ChooseLogoEntry(c.entries, c.resource);
    EXPECT_EQ(entry ? entry->path : "", c.chosen) << c.what;
  }
}

TEST(ChooseAppxIconEntry, FirstNameWithAFileWins) {
  const std::vector<ArchiveEntry> entries =
      Entries({"Assets\\Square150x150Logo.scale-200.png", "Assets\\StoreLogo.png"});
  const ArchiveEntry* entry = ChooseAppxIconEntry(
      entries, {"Assets\\Square44x44Logo.png", "Assets\\Square150x150Logo.png", "Assets\\StoreLogo.png"});
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->path, "Assets\\Square150x150Logo.scale-200.png");
  EXPECT_EQ(ChooseAppxIconEntry(entries, {"Assets\\Missing.png"}), nullptr);
  EXPECT_EQ(ChooseAppxIconEntry(entries, {}), nullptr);
}

}  // namespace
