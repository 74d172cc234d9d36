#include "android/ApkBundle.h"
#include "support/Json.h"

#include <gtest/gtest.h>

#include "android/ApkIconChoice.h"

namespace {

// The paths, in order, joined by blanks, for literal comparison.
std::string Paths(const std::vector<ArchiveEntry>& entries) {
  std::string text;
  for (const ArchiveEntry& entry : entries) text += (text.empty() ? "" : " ") + entry.path;
  return text;
}

std::vector<ArchiveEntry> Entries(std::initializer_list<const char*> paths) {
  std::vector<ArchiveEntry> entries;
  for (const char* path : paths) entries.push_back({path, 1000});
  return entries;
}

// What 7-Zip prints for "l -slt" on a bundle, cut to the fields read.
const char kListing[] =
    "7-Zip (a) 21.07 (x64)\r\n\r\nListing archive: C:\\in\\x.apks\r\n\r\n--\r\n"
    "Path = C:\\in\\x.apks\r\nType = zip\r\nPhysical Size = 4242\r\n\r\n"
    "----------\r\n"
    "Path = splits\r\nFolder = +\r\nSize = 0\r\n\r\n"
    "Path = splits\\base-master.apk\r\nFolder = -\r\nSize = 1719\r\nPacked Size = 1110\r\n\r\n"
    "Path = toc.pb\r\nFolder = -\r\nSize = 300\r\n\r\n"
    "Path = manifest.json\r\nFolder = -\r\nSize = 512\r\n\r\n"
    "Path = sub\\manifest.json\r\nFolder = -\r\nSize = 5\r\n\r\n"
    "Path = Android\\obb\\com.x\\main.1.com.x.obb\r\nFolder = -\r\nSize = 90000000\r\n\r\n"
    "Path = splits\\base-xxhdpi.apk\r\nFolder = -\r\nSize = 18446744073709551616\r\n\r\n"  // above 64 bits: no size
    "Path = a folder.apk\r\nFolder = +\r\nSize = 0\r\n\r\n"
    "Path = config.mdpi.apk\nFolder = -\nSize = 77\n";  // no final blank line, LF only

TEST(KeptBundleEntry, PackagesAndTheRootManifestAtMostTheCap) {
  const std::vector<ArchiveEntry> entries = ParseArchiveListing(kListing, KeptBundleEntry, kMaxBundleEntries);
  EXPECT_EQ(Paths(entries), "splits\\base-master.apk manifest.json splits\\base-xxhdpi.apk config.mdpi.apk");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].size, 1719u);
  EXPECT_EQ(entries[1].size, 512u);
  EXPECT_EQ(entries[2].size, UINT64_MAX) << "kept, and refused when it is to be extracted";
  EXPECT_EQ(entries[3].size, 77u);
  std::string many = "----------\n";
  for (std::size_t i = 0; i < kMaxBundleEntries + 10; ++i) many += "Path = config." + std::to_string(i) + ".apk\nSize = 1\n\n";
  EXPECT_EQ(ParseArchiveListing(many, KeptBundleEntry, kMaxBundleEntries).size(), kMaxBundleEntries);
}

TEST(ManifestBaseFile, TheFileOfTheSplitWhoseIdIsBase) {
  const struct { const char* json; const char* base; } cases[] = {
      {R"({"xapk_version": 2, "package_name": "com.x", "split_configs": ["config.xxhdpi"],
           "split_apks": [{"file": "config.xxhdpi.apk", "id": "config.xxhdpi"},
                          {"id": "base", "file": "com.x.apk", "extra": {"a": [1, -2.5e3, true, null]}}],
           "icon": "icon.png"})", "com.x.apk"},
      {"\xEF\xBB\xBF{\"split_apks\":[{\"file\":\"b.apk\",\"id\":\"base\"}]}", "b.apk"},   // byte order mark
      {R"({"split_apks":[{"file":"a.apk","id":"base"},{"file":"b.apk","id":"base"}]})", "a.apk"},
      {R"({"split_apks":[{"file":"\u4E2D\/\ud83d\ude00.apk","id":"base"}]})", "\xE4\xB8\xAD/\xF0\x9F\x98\x80.apk"},
      {R"({"split_apks":[{"file":"a.apk","id":"config.mdpi"}]})", ""},
      {R"({"split_apks":[{"file":7,"id":"base"}]})", ""},                  // a file that is no text
      {R"({"split_apks":{"file":"a.apk","id":"base"}})", ""},              // not an array
      {R"({"nested":{"split_apks":[{"file":"a.apk","id":"base"}]}})", ""},  // not at the top
      {R"([{"split_apks":[{"file":"a.apk","id":"base"}]}])", ""},
      {R"({"split_apks":[{"file":"a.apk","id":"base"}]} x)", ""},          // text after the object
      {R"({"split_apks":[{"file":"a.apk","id":"base"}])", ""},             // cut short
      {R"({"split_apks":[{"file":"a.apk","id":"base",}]})", ""},           // trailing comma
      {R"({"split_apks":[{"file":"a	.apk","id":"base"}]})", ""},         // a raw tab inside text
      {R"({"split_apks":[{"file":"\ude00.apk","id":"base"}]})", ""},       // a lone low surrogate
      {R"({"split_apks":[{"file":"\q.apk","id":"base"}]})", ""},
      {R"({"v": nul, "split_apks":[{"file":"a.apk","id":"base"}]})", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ManifestBaseFile(c.json), c.base) << c.json;
}

TEST(ManifestBaseFile, DepthAndSizeAreCapped) {
  const std::string tail = R"("split_apks":[{"file":"a.apk","id":"base"}]})";
  auto nested = [&](int depth) { return "{\"n\":" + std::string(depth, '[') + std::string(depth, ']') + "," + tail; };
  EXPECT_EQ(ManifestBaseFile(nested(kMaxJsonDepth - 1)), "a.apk");
  EXPECT_EQ(ManifestBaseFile(nested(kMaxJsonDepth)), "");
  EXPECT_EQ(ManifestBaseFile(nested(100000)), "") << "no stack exhaustion";
  const std::string padded = "{\"pad\":\"" + std::string(kMaxManifestBytes, 'x') + "\"," + tail;
  EXPECT_EQ(ManifestBaseFile(padded), "");
}

TEST(ChooseBundleBase, ManifestThenTheUsualNamesThenTheOnlyRootPackage) {
  const struct { std::vector<ArchiveEntry> entries; const char* manifest; const char* base; } cases[] = {
      {Entries({"config.xxhdpi.apk", "com.x.apk", "base.apk"}), "com.x.apk", "com.x.apk"},
      {Entries({"config.xxhdpi.apk", "com.x.apk", "base.apk"}), "gone.apk", "base.apk"},
      {Entries({"sub\\com.x.apk"}), "sub/com.x.apk", "sub\\com.x.apk"},
      {Entries({"split_config.xxhdpi.apk", "base.apk"}), "", "base.apk"},
      {Entries({"splits\\base-xxhdpi.apk", "splits\\base-master.apk", "splits\\base-en.apk"}), "", "splits\\base-master.apk"},
      {Entries({"universal.apk"}), "", "universal.apk"},
      {Entries({"config.mdpi.apk", "com.x.apk", "split_config.en.apk"}), "", "com.x.apk"},
      {Entries({"a.apk", "b.apk"}), "", ""},  // which one: unknown
      {Entries({"config.mdpi.apk", "sub\\base.apk"}), "", ""},
      {Entries({"manifest.json"}), "manifest.json", ""},
      {{}, "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseBundleBase(c.entries, c.manifest).path, c.base) << Paths(c.entries);
}

TEST(DensitySplits, DensestFirstEachOnceOtherSplitsLeftOut) {
  const std::vector<ArchiveEntry> entries =
      Entries({"base.apk", "split_config.mdpi.apk", "config.arm64_v8a.apk", "config.xxhdpi.apk", "splits\\base-xxxhdpi.apk",
               "splits/base-xxxhdpi.apk", "split_config.xxhdpi.apk", "config.en.apk", "splits\\base-master.apk",
               "splits\\sub\\base-hdpi.apk", "other\\base-hdpi.apk", "config.hdpi.apk.bak", "config.tvdpi.apk",
               "config.nodpi.apk", "Config.ldpi.apk"});
  EXPECT_EQ(Paths(DensitySplits(entries)),
            "splits\\base-xxxhdpi.apk config.xxhdpi.apk split_config.xxhdpi.apk config.tvdpi.apk split_config.mdpi.apk");
  EXPECT_EQ(Paths(DensitySplits({})), "");
}

TEST(ClassifyIconEntry, ExtensionFirstThenTheFirstBytes) {
  const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D, 'I', 'H', 'D', 'R', 0, 0};
  const Bytes webp = {'R', 'I', 'F', 'F', 9, 9, 9, 9, 'W', 'E', 'B', 'P', 'V', 'P', '8', 'L'};
  const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0};
  const Bytes shortWebp = {'R', 'I', 'F', 'F', 9, 9, 9, 9, 'W', 'E', 'B'};
  const struct { const char* entry; const Bytes* start; IconEntryKind kind; } cases[] = {
      {"res/a/icon.png", &gif, IconEntryKind::Keep},  // as stored; the dispatcher judges it
      {"res/a/icon.webp", &png, IconEntryKind::ConvertWebp},
      {"res/drawable-xxhdpi-v4/app_icon", &png, IconEntryKind::Keep},
      {"res/drawable-xxhdpi-v4/app_icon", &webp, IconEntryKind::ConvertWebp},
      {"res/drawable-xxhdpi-v4/app_icon", &gif, IconEntryKind::Drop},
      {"res/drawable-xxhdpi-v4/app_icon", &shortWebp, IconEntryKind::Drop},
      {"res/a/icon_png", &gif, IconEntryKind::Drop},
      {"res/a/ICON.PNG", &png, IconEntryKind::Keep},
      {"res/a/ICON.PNG", &webp, IconEntryKind::ConvertWebp},
      {"res/a/icon.jpg", &gif, IconEntryKind::Drop},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyIconEntry(c.entry, *c.start), c.kind) << c.entry;
  EXPECT_EQ(ClassifyIconEntry("res/a/icon", Bytes{}), IconEntryKind::Drop);
}

TEST(ChooseBundleBase, FoundBehindThousandsOfOtherPackages) {
  std::string listing = "----------\n";
  for (int i = 0; i < 5000; ++i) listing += "Path = extra\\p" + std::to_string(i) + ".apk\nFolder = -\nSize = 10\n\n";
  listing += "Path = base.apk\nFolder = -\nSize = 1719\n\n";
  const std::vector<ArchiveEntry> entries = ParseArchiveListing(listing, KeptBundleEntry, kMaxBundleEntries);
  EXPECT_EQ(ChooseBundleBase(entries, "").path, "base.apk");
}

}  // namespace
