#include "support/TextScan.h"

#include <gtest/gtest.h>

TEST(TextScan, SecondByteOfADoubleByteCharacterNeverStartsAMatch) {
  // 0x95 0x5C is one GBK character whose second byte is a backslash.
  const std::string text = "a\\b\x95\x5C" "c";
  EXPECT_EQ(FindLastText(text, "\\", Gbk936LeadByte), 1u);
  EXPECT_EQ(FindLastText(text, "\\", NoLeadBytes), 4u);
  EXPECT_EQ(FindLastText("res/mipmap/ic.png", "/", NoLeadBytes), 10u);
  EXPECT_EQ(FindLastText("ic.png", "/", NoLeadBytes), std::string::npos);
}

TEST(TextScan, SingleByteCodePagesStepOneByteAtATime) {
  // "Café.apk" in code page 1252: é is 0xE9, a character of its own.
  const std::string cafe = "C:\\Caf\xE9.apk";
  EXPECT_EQ(FindText(cafe, ".apk", NoLeadBytes), 7u);
  EXPECT_EQ(FindText(cafe, ".apk", Gbk936LeadByte), std::string::npos)
      << "read as GBK, 0xE9 swallows the dot";
  EXPECT_EQ(FindText("abc", "", NoLeadBytes), std::string::npos);
  EXPECT_EQ(FindText("", "a", NoLeadBytes), std::string::npos);
}

TEST(TextScan, DecimalNumbersFitTheirLimitOrAreNone) {
  struct Row {
    const char* digits;
    std::uint64_t max;
    std::optional<std::uint64_t> value;
  };
  const Row rows[] = {
      {"0", UINT64_MAX, 0},
      {"007", UINT64_MAX, 7},
      {"18446744073709551615", UINT64_MAX, UINT64_MAX},
      {"18446744073709551616", UINT64_MAX, std::nullopt},
      {"99999999999999999999999", UINT64_MAX, std::nullopt},
      {"99999", 99999, 99999},
      {"100000", 99999, std::nullopt},
      {"0000000000000000000000042", 99999, 42},
      {"", UINT64_MAX, std::nullopt},
      {"-1", UINT64_MAX, std::nullopt},
      {"+1", UINT64_MAX, std::nullopt},
      {" 1", UINT64_MAX, std::nullopt},
      {"12a", UINT64_MAX, std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(ParseDecimal(row.digits, row.max), row.value) << row.digits;
}

TEST(TextScan, AsciiHelpersLeaveOtherBytesAlone) {
  EXPECT_EQ(AsciiLowered("AppIcon.PNG \xC3\x89"), "appicon.png \xC3\x89");
  EXPECT_TRUE(EqualsIgnoringAsciiCase(".APK", ".apk"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(".apk", ".apks"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\x89", "\xC3\xA9"));
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  EXPECT_EQ(HexDigitValue('g'), -1);
  EXPECT_EQ(HexDigitValue('/'), -1);
}

TEST(TextScan, PathNamesAndEndings) {
  EXPECT_EQ(FileNameOf("C:\\a.b\\c.apk", NoLeadBytes), "c.apk");
  EXPECT_EQ(FileNameOf("C:/a/c", NoLeadBytes), "c");
  EXPECT_EQ(FileNameOf("C:\\x\xB0\\c", Gbk936LeadByte), "x\xB0\\c") << "0xB0 0x5C is one character";
  EXPECT_EQ(FileNameExtension("C:\\my.apks\\noextension", NoLeadBytes), "");
  EXPECT_EQ(FileNameExtension("C:\\x.tar.GZ", NoLeadBytes), ".GZ");
  for (const char* path : {"game.png.", "C:\\game.png ", "a\\b."}) EXPECT_TRUE(EndsInDotOrSpace(path)) << path;
  for (const char* path : {"game.png", ".", "..", "C:\\a\\..", "C:\\a\\.", "", "C:\\a\\"}) {
    EXPECT_FALSE(EndsInDotOrSpace(path)) << path;
  }
  EXPECT_EQ(TrimmedBlanks(" \t Icon=app \r\n"), "Icon=app");
  EXPECT_EQ(TrimmedBlanks(" \t\r\n"), "");
}
