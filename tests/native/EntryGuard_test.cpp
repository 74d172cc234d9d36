#include "tools/EntryGuard.h"

#include <gtest/gtest.h>

TEST(EntryGuard, CommandTextRefusesWhatTheToolsWouldInterpret) {
  EXPECT_TRUE(IsSafeCommandText("res/mipmap-xxhdpi-v4/ic_launcher.png"));
  EXPECT_TRUE(IsSafeCommandText("res/d/a&b (1).png")) << "harmless between double quotes";
  EXPECT_TRUE(IsSafeCommandText("res/%PATH%.png")) << "no interpreter expands it";
  for (const char* bad : {"res/x\" & echo PWNED > pwned.txt & \".png", "res/a\nb.png",
                          "res/a\rb.png", "res/\x01.png", "res/*.png", "res/?.png", "res/[a].png",
                          "-d..\\x.png", "@list.png", ""}) {
    EXPECT_FALSE(IsSafeCommandText(bad)) << bad;
  }
}

TEST(EntryGuard, ExtractedFileLiesDirectlyInTheTargetFolder) {
  EXPECT_EQ(ExtractedFileName("res/mipmap-mdpi/ic.png", "/", NoLeadBytes), "ic.png");
  EXPECT_EQ(ExtractedFileName("rootlevel.png", "/", NoLeadBytes), "rootlevel.png");
  EXPECT_EQ(ExtractedFileName("Payload\\Foo.app\\AppIcon60x60@2x.png", "\\", NoLeadBytes), "AppIcon60x60@2x.png");
  EXPECT_EQ(ExtractedFileName("res/CONSOLE.png", "/", NoLeadBytes), "CONSOLE.png");
  EXPECT_EQ(ExtractedFileName("res/COM0.png", "/", NoLeadBytes), "COM0.png");
  for (const char* bad : {"res/a\\..\\..\\victim.png", "res/..", "res/.", "res/", "res/c:evil.png", "res/a|b.png",
                          "res/a<b.png", "res/a>b.png", "res/CON.png", "res/con", "res/Nul.tar.png", "res/COM1.png",
                          "res/lpt9.png", "res/AUX .png", "res/x.png.", "res/x.png "}) {
    EXPECT_EQ(ExtractedFileName(bad, "/", NoLeadBytes), "") << bad;
  }
  EXPECT_EQ(ExtractedFileName("Payload\\Foo.app\\a/b.png", "\\", NoLeadBytes), "");
  EXPECT_EQ(ExtractedFileName("Payload\\..", "\\", NoLeadBytes), "");
}

TEST(EntryGuard, GbkTrailBackslashIsNotASeparatorButIsStillRefused) {
  // 0x95 0x5C is one GBK character whose second byte is a backslash: it does
  // not split the entry, yet a file name holding byte 0x5C is refused, since
  // path functions that are not code-page aware would split there.
  EXPECT_EQ(ExtractedFileName("Payload\\A\x95\x5C.png", "\\", Gbk936LeadByte), "");
  EXPECT_EQ(ExtractedFileName("Payload\\\xB1\xED.png", "\\", Gbk936LeadByte), "\xB1\xED.png");
}
