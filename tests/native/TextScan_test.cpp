#include "support/TextScan.h"

#include <gtest/gtest.h>

TEST(TextScan, SecondByteOfADoubleByteCharacterNeverStartsAMatch) {
  // 0x95 0x5C is one GBK character whose second byte is a backslash.
  const std::string text = "a\\b\x95\x5C" "c";
  EXPECT_EQ(FindLastText(text, "\\", Gbk936LeadByte), 1u);
  EXPECT_EQ(FindLastText(text, "\\", NoLeadBytes), 4u);
  EXPECT_EQ(TextAfterLast(text, "\\", Gbk936LeadByte), "b\x95\x5C" "c");
  EXPECT_EQ(TextAfterLast("res/mipmap/ic.png", "/", NoLeadBytes), "ic.png");
  EXPECT_EQ(TextAfterLast("ic.png", "/", NoLeadBytes), "");
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
