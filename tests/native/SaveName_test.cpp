#include "output/DropFiles.h"
#include "output/SaveName.h"

#include <gtest/gtest.h>

TEST(PngSaveName, RemovesEveryExactPngInTheNameThenAppendsOne) {
  EXPECT_EQ(PngSaveName("C:\\out\\icon", NoLeadBytes), "C:\\out\\icon.png");
  EXPECT_EQ(PngSaveName("C:\\out\\icon.png", NoLeadBytes), "C:\\out\\icon.png");
  EXPECT_EQ(PngSaveName("C:\\out\\my.png.icon", NoLeadBytes), "C:\\out\\my.icon.png");
  EXPECT_EQ(PngSaveName("C:\\out\\icon.PNG", NoLeadBytes), "C:\\out\\icon.PNG.png");
  EXPECT_EQ(PngSaveName("D:\\pkg\\game.apk", NoLeadBytes), "D:\\pkg\\game.apk.png");
  EXPECT_EQ(PngSaveName("C:\\a.png\\b", NoLeadBytes), "C:\\a.png\\b.png") << "folders stay as chosen";
  EXPECT_EQ(PngSaveName("x.png.png", NoLeadBytes), "x.png");
}

TEST(PngSaveName, BackslashAsSecondByteOfAChineseCharacterIsNoSeparator) {
  // "表" is B1 ED in code page 936 — no backslash; "\x95\x5C" (a GBK character
  // whose second byte is 0x5C) must not split the name.
  const std::string path = "C:\\dir\\a\x95\x5C" "b.png";
  EXPECT_EQ(PngSaveName(path, Gbk936LeadByte), "C:\\dir\\a\x95\x5C" "b.png");
  EXPECT_EQ(PngSaveName("C:\\dir\\\x95\x5C.png", Gbk936LeadByte), "C:\\dir\\\x95\x5C.png");
}

TEST(IcoSaveName, OneTrailingIcoOrPngInAnyCaseGivesWayToIco) {
  const struct { const char* chosen; const char* written; } cases[] = {
      {"C:\\out\\app", "C:\\out\\app.ico"},          {"C:\\out\\app.ico", "C:\\out\\app.ico"},
      {"C:\\out\\app.PNG", "C:\\out\\app.ico"},      {"C:\\out\\app.exe.png", "C:\\out\\app.exe.ico"},
      {"C:\\out\\app.ico.png", "C:\\out\\app.ico.ico"}, {"C:\\a.png\\b", "C:\\a.png\\b.ico"},
  };
  for (const auto& c : cases) EXPECT_EQ(IcoSaveName(c.chosen, NoLeadBytes), c.written) << c.chosen;
}

TEST(SaveProposal, TheNameASaveWritesAndNeverThePictureFileItself) {
  const auto taken = [](const std::string& path) {
    return path == "C:\\in\\taken (icon).png" || path == "C:\\in\\taken (icon 2).png";
  };
  const struct { const char* source; const char* proposal; } cases[] = {
      {"D:\\pkg\\game.apk", "D:\\pkg\\game.apk.png"},
      {"C:\\in\\icon.png", "C:\\in\\icon (icon).png"},
      {"C:\\in\\icon.ICO", "C:\\in\\icon (icon).png"},
      {"C:\\in\\Icon.Png", "C:\\in\\Icon (icon).png"},
      {"C:\\in\\taken.png", "C:\\in\\taken (icon 3).png"},
      {"C:\\in.png\\app.exe", "C:\\in.png\\app.exe.png"},
      {"C:\\in\\photo.jpg", "C:\\in\\photo.jpg.png"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SaveProposal(c.source, NoLeadBytes, taken), c.proposal) << c.source;
}

// The drag-out file list: the header's fWide set, the name in UTF-16, as the
// shell writes it, so receivers on any code page read it right.
TEST(BuildDropFiles, WideNamesAfterTheHeader) {
  const Bytes block = BuildDropFiles(u"C:\\\u4E2D/icon.png");
  ASSERT_EQ(block.size(), 20u + 2 * 13 + 4);
  EXPECT_EQ(block[0], 20) << "pFiles";
  EXPECT_EQ(block[16], 1) << "fWide";
  EXPECT_EQ(block[20], 'C');
  EXPECT_EQ(block[21], 0);
  EXPECT_EQ(block[26], 0x2D);  // 中 is U+4E2D, little-endian
  EXPECT_EQ(block[27], 0x4E);
  EXPECT_EQ(Bytes(block.end() - 4, block.end()), (Bytes{0, 0, 0, 0})) << "the name's zero, then the list's";
}
