#include <gtest/gtest.h>

#include "support/ByteReader.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/TestImages.h"
#include "windows/IconGroup.h"
#include "windows/PeResources.h"
#include "windows/Shortcut.h"

namespace {

Bytes Image(std::uint8_t tag, std::size_t size = 40) { return Bytes(size, tag); }

// The largest area wins (256 is stored as 0), then the most bits; a tie
// keeps the earlier entry.
TEST(ChooseIconEntry, LargestAreaThenMostBitsThenTheEarlier) {
  const struct { const char* name; std::vector<TestGroupEntry> entries; std::uint16_t chosen; } cases[] = {
      {"256 (stored 0) first, then 48, 32, 16: the 256 x 256", {{0, 0, 32, 1}, {48, 48, 32, 2}, {32, 32, 32, 3}, {16, 16, 32, 4}}, 1},
      {"16, 32, 48, then 256 last", {{16, 16, 32, 1}, {32, 32, 32, 2}, {48, 48, 32, 3}, {0, 0, 32, 4}}, 4},
      {"16, 32, 48 at 8 bits then at 32 bits: 48 x 48 at 32 bits",
       {{16, 16, 8, 1}, {32, 32, 8, 2}, {48, 48, 8, 3}, {16, 16, 32, 4}, {32, 32, 32, 5}, {48, 48, 32, 6}}, 6},
      {"48 x 48 at 8 bits, then 32 x 32 at 32 bits: the larger at 8 bits", {{48, 48, 8, 1}, {32, 32, 32, 2}}, 1},
      {"256 wide, 48 high beats 64 x 64", {{64, 64, 32, 1}, {0, 48, 32, 2}}, 2},
      {"a lone 256 x 256 image", {{0, 0, 32, 7}}, 7},
      {"a tie keeps the earlier", {{32, 32, 32, 1}, {32, 32, 32, 2}}, 1},
      {"an identifier above 32767", {{32, 32, 32, 40000}}, 40000},
      {"entries of 0 bits still count", {{32, 32, 0, 8}}, 8},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseIconEntry(BuildIconGroup(c.entries)).iconId, c.chosen) << c.name;
  EXPECT_EQ(ChooseIconEntry(BuildIconGroup({})).entry, -1);
}

TEST(ExtractIconFromPe, TheFirstGroupWholeWithTheChosenImageFirst) {
  const Bytes png = EncodePng(TestPattern(48, 48));
  const Bytes pe = BuildPe({
      {14, 0, u"MAINICON", BuildIconGroup({{32, 32, 32, 1}, {48, 48, 32, 2, 999}, {16, 16, 8, 4}, {24, 24, 8, 3}})},
      {14, 5, u"", BuildIconGroup({{64, 64, 32, 3}})},  // a later group: ignored
      {3, 1, u"", Image(0x11)},
      {3, 2, u"", png},
      {3, 3, u"", Image(0x33, 30)},
  });
  const Bytes ico = ExtractIconFromPe(pe);
  ByteReader r(ico);
  EXPECT_EQ(r.u16le(), 0);
  EXPECT_EQ(r.u16le(), 1);
  EXPECT_EQ(r.u16le(), 3) << "the entry without an image (4) is left out";
  // The chosen 48 x 48 first, then the group's order; each image's real length.
  const struct { std::uint8_t side, bits; std::size_t size; } entries[] = {{48, 32, png.size()}, {32, 32, 40}, {24, 8, 30}};
  std::size_t offset = 6 + 3 * 16;
  for (const auto& e : entries) {
    EXPECT_EQ(r.u8(), e.side);
    EXPECT_EQ(r.u8(), e.side);
    r.skip(4);
    EXPECT_EQ(r.u16le(), e.bits);
    EXPECT_EQ(r.u32le(), e.size) << "the real length, not what the group states";
    EXPECT_EQ(r.u32le(), offset);
    offset += e.size;
  }
  ASSERT_EQ(ico.size(), offset);
  EXPECT_TRUE(std::equal(png.begin(), png.end(), ico.begin() + 54)) << "the PNG stream unchanged";
  EXPECT_EQ(ico[54 + png.size()], 0x11);
}

TEST(ExtractIconFromPe, Pe32AndLargeIdentifiers) {
  const Bytes pe = BuildPe({{14, 1, u"", BuildIconGroup({{16, 16, 8, 0x8001}})}, {3, 0x8001, u"", Image(0x77, 10)}}, false);
  const Bytes ico = ExtractIconFromPe(pe);
  ASSERT_EQ(ico.size(), 32u);
  EXPECT_EQ(ico[22], 0x77);
  const Bytes wideId = BuildPe({{14, 1, u"", BuildIconGroup({{16, 16, 8, 1}})}, {3, 0x10001, u"", Image(0x77, 10)}});
  EXPECT_TRUE(ExtractIconFromPe(wideId).empty()) << "identifier 65537 is not image 1";
}

TEST(ExtractIconFromPe, MissingPartsGiveEmptyBytes) {
  EXPECT_TRUE(ExtractIconFromPe(BuildPe({{3, 1, u"", Image(1)}})).empty()) << "no group";
  EXPECT_TRUE(ExtractIconFromPe(Bytes{}).empty());
  EXPECT_TRUE(ExtractIconFromPe(EncodePng(TestPattern(4, 4))).empty()) << "not an executable";
  const Bytes noImage = ExtractIconFromPe(BuildPe({{14, 1, u"", BuildIconGroup({{32, 32, 32, 9}})}, {3, 1, u"", Image(1)}}));
  EXPECT_TRUE(noImage.empty()) << "a group whose image is missing";
  const Bytes empty = ExtractIconFromPe(BuildPe({{14, 1, u"", BuildIconGroup({})}, {3, 1, u"", Image(1)}}));
  EXPECT_TRUE(empty.empty()) << "a group without entries";
}

TEST(PeResourceReader, StoredOrderNamedFirstThenIdentifiers) {
  const Bytes pe = BuildPe({{3, 9, u"", Image(9)}, {3, 2, u"", Image(2)}, {3, 0, u"B", Image(0xB)}, {3, 0, u"A", Image(0xA)}});
  const auto icons = PeResourceReader(pe, 0).list(3);
  ASSERT_EQ(icons.size(), 4u);
  EXPECT_TRUE(icons[0].named && icons[0].data[0] == 0xA);
  EXPECT_TRUE(icons[1].named && icons[1].data[0] == 0xB);
  EXPECT_EQ(icons[2].id, 2u);
  EXPECT_EQ(icons[3].id, 9u);
  EXPECT_TRUE(PeResourceReader(pe, 0).list(14).empty());
}

// Every truncation and a sweep of single-byte damage: never an over-read
// (run under the sanitizers), and whatever comes out stays inside the file.
TEST(PeResourceReader, TruncatedAndDamagedFilesFailCleanly) {
  const Bytes pe = BuildPe({{14, 1, u"", BuildIconGroup({{32, 32, 32, 1}})}, {3, 1, u"", Image(5, 300)}});
  for (std::size_t n = 0; n < pe.size(); n += 7) {
    const Bytes cut(pe.begin(), pe.begin() + static_cast<std::ptrdiff_t>(n));
    const Bytes ico = ExtractIconFromPe(cut);
    EXPECT_TRUE(ico.empty() || ico.size() == 322) << n;
  }
  for (std::size_t at = 0; at < pe.size(); ++at) {
    for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x80}}) {
      Bytes damaged = pe;
      damaged[at] = value;
      for (const PeResource& r : PeResourceReader(damaged, 0).list(3)) {
        ASSERT_GE(r.data.data(), damaged.data());
        ASSERT_LE(r.data.data() + r.data.size(), damaged.data() + damaged.size());
      }
      ExtractIconFromPe(damaged);
    }
  }
}

// The platform's choice among a resource's languages: neutral, then the UI
// language, then one of its primary language, then the first stored.
TEST(PeResourceReader, ChoosesTheLanguageAsThePlatformDoes) {
  const struct { const char* name; std::vector<std::uint16_t> stored; std::uint16_t ui; std::uint8_t chosen; } cases[] = {
      {"neutral first of all", {0x409, 0x000, 0x804}, 0x804, 1},
      {"the UI language", {0x409, 0x804, 0x1004}, 0x804, 1},
      {"its primary language", {0x409, 0x1004}, 0x804, 1},
      {"else the first stored", {0x409, 0x407}, 0x804, 0},
      {"no UI language", {0x407, 0x409}, 0, 0},
  };
  for (const auto& c : cases) {
    std::vector<TestResource> resources;
    for (std::size_t i = 0; i < c.stored.size(); ++i) {
      resources.push_back({3, 7, u"", Image(static_cast<std::uint8_t>(i)), c.stored[i]});
    }
    const Bytes pe = BuildPe(resources);
    const auto icons = PeResourceReader(pe, c.ui).list(3);
    ASSERT_EQ(icons.size(), 1u) << c.name;
    EXPECT_EQ(icons[0].data[0], c.chosen) << c.name;
  }
}

// Crafted directories cost work in proportion to the file, counted in
// directory entries read rather than in time: 65,535 names sharing one
// language directory of 65,535 entries are all read, the shared directory
// once; a root whose entries all point back at itself is refused.
TEST(PeResourceReader, WorkStaysLinearInTheFileOnCraftedDirectories) {
  constexpr std::uint32_t kCount = 65535;
  const Bytes shared = BuildSharedLanguagePe(kCount);
  PeResourceReader reader(shared, 0x804);
  EXPECT_EQ(reader.list(kIconGroupResourceType).size(), kCount);
  EXPECT_EQ(reader.list(kIconResourceType).size(), kCount);
  EXPECT_LE(reader.steps(), 4u * kCount) << "each directory read about once";

  const Bytes looping = BuildSelfReferencingPe(65536);
  PeResourceReader loops(looping, 0);
  EXPECT_TRUE(loops.list(kIconGroupResourceType).empty());
  EXPECT_LE(loops.steps(), 2u * 65536);
  EXPECT_TRUE(ExtractIconFromPe(looping).empty());
}

TEST(IsLocalShortcutTarget, DrivesYesSharesAndDevicesNever) {
  const struct { const char* target; bool local; } cases[] = {
      {"C:\\Program Files\\App\\app.exe", true},
      {"z:/tools/app.exe", true},
      {"\\\\?\\C:\\long\\path\\app.exe", true},
      {"\\Windows\\notepad.exe", true},
      {"\\\\127.0.0.1\\share\\x.exe", false},
      {"//server/share/x.exe", false},
      {"\\\\server@SSL\\DavWWWRoot\\x.exe", false},
      {"\\\\?\\UNC\\server\\share\\x.exe", false},
      {"\\\\.\\PhysicalDrive0", false},
      {"\\\\?\\GLOBALROOT\\Device\\Mup\\server\\x.exe", false},
      {"\\??\\UNC\\server\\x.exe", false},
      {"\\??\\C:\\app.exe", true},
      {"\\\\?\\", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsLocalShortcutTarget(c.target), c.local) << c.target;
}

// LinkInfo flags after a 76-byte header and an empty ID list: 1 a volume and
// local base path, 2 a common network relative link (a share).
TEST(ShortcutTargetIsOnAShare, ANetworkLinkWithoutALocalPath) {
  auto withFlags = [](std::uint8_t flags) {
    Bytes link(76 + 2 + 28, 0);
    link[78] = 28;  // LinkInfoSize
    link[82] = 28;  // LinkInfoHeaderSize
    link[86] = flags;
    return link;
  };
  EXPECT_TRUE(ShortcutTargetIsOnAShare(withFlags(2)));
  EXPECT_FALSE(ShortcutTargetIsOnAShare(withFlags(1))) << "a local path";
  EXPECT_FALSE(ShortcutTargetIsOnAShare(withFlags(3))) << "a mapped drive: local path and network link";
  EXPECT_FALSE(ShortcutTargetIsOnAShare(Bytes{}));
}

}  // namespace
