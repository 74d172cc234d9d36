// Built into both the native and the Windows test programs.
#include "support/PatternMatcher.h"

#include <gtest/gtest.h>

#include "tests/shared/MatcherCodecs.h"

namespace {

class PatternMatcherTest : public testing::TestWithParam<NamedCodec> {
 protected:
  const NarrowCodec& codec() const { return *GetParam().codec; }
  // Narrow text in the code page under test.
  std::string N(std::u16string_view text) const { return codec().fromUtf16(text); }
  bool representable(std::u16string_view text) const { return codec().toUtf16(N(text)) == text; }
};

TEST_P(PatternMatcherTest, NumbersMatchesAndGroupsFromOne) {
  PatternMatcher m(codec());
  const std::string badging =
      "application-icon-160:'res/mipmap-mdpi-v4/ic.png'\r\n"
      "application-icon-240:'res/mipmap-hdpi-v4/ic.png'\r\n"
      "application-icon-480:'res/mipmap-xxhdpi-v4/ic.png'\r\n";
  EXPECT_TRUE(m.search("application-icon(.*?):'(.*?).png'", badging));
  ASSERT_EQ(m.matchCount(), 3);
  EXPECT_EQ(m.subMatchText(m.matchCount(), 2), "res/mipmap-xxhdpi-v4/ic");
  EXPECT_EQ(m.subMatchText(1, 1), "-160");
  EXPECT_EQ(m.subMatchText(2, 2), "res/mipmap-hdpi-v4/ic");
  for (auto [match, group] : {std::pair{0, 1}, {4, 1}, {1, 0}, {1, 3}, {-1, 2}}) {
    EXPECT_EQ(m.subMatchText(match, group), "") << match << "," << group;
  }
}

TEST_P(PatternMatcherTest, NoMatchAndEmptySubjectGiveEmptyResults) {
  PatternMatcher m(codec());
  EXPECT_TRUE(m.search("application-icon(.*?):'(.*?).png'", ""));
  EXPECT_EQ(m.matchCount(), 0);
  EXPECT_EQ(m.subMatchText(1, 1), "");
  EXPECT_EQ(m.subMatchText(m.matchCount(), 2), "");
}

TEST_P(PatternMatcherTest, IgnoresCaseAndNeverSpansALineFeed) {
  PatternMatcher m(codec());
  m.search("[1-9][0-9]{0,}\\s(.*?)AppIcon(.*?).png", "2023-01-17 14:32:08 .....   38497   38148  Payload\\Foo.app\\appicon60x60@3x.png\r\n");
  ASSERT_EQ(m.matchCount(), 1);
  EXPECT_EQ(m.subMatchText(1, 2), "60x60@3x");
  // Group 2 would need to cross the line feed to reach ".png'".
  m.search("application-icon(.*?):'(.*?).png'", "application-icon-160:'res/a.xml'\nother.png'\n");
  EXPECT_EQ(m.matchCount(), 0);
  // "." matches the carriage return of a Windows line end, "$" sits before \n.
  m.search("^(.*)$", "ab\r\ncd");
  ASSERT_EQ(m.matchCount(), 2);
  EXPECT_EQ(m.subMatchText(1, 1), "ab\r");
}

TEST_P(PatternMatcherTest, ColumnPatternOfTheArchiveListing) {
  PatternMatcher m(codec());
  const std::string line = "2023-01-17 14:32:08 .....        38497        38148  Payload\\Foo.app\\AppIcon60x60@3x.png\r\n";
  m.search("(\\d+)\\s+([1-9][0-9]{0,})\\s+(.*?).png", line);
  ASSERT_GE(m.matchCount(), 1);
  EXPECT_EQ(m.subMatchText(m.matchCount(), 1), "38497");
  EXPECT_EQ(m.subMatchText(m.matchCount(), 3), "Payload\\Foo.app\\AppIcon60x60@3x");
}

TEST_P(PatternMatcherTest, RejectedPatternGivesFalseAndNoMatches) {
  PatternMatcher m(codec());
  m.search("a", "aaa");
  EXPECT_FALSE(m.search("(unbalanced", "(unbalanced"));
  EXPECT_EQ(m.matchCount(), 0);
}

// Catastrophic backtracking after a first match: the search hits the
// engine's limit and fails as a whole, not with the matches found so far.
TEST_P(PatternMatcherTest, SearchAtTheBacktrackingLimitFails) {
  PatternMatcher m(codec());
  EXPECT_FALSE(m.search("x|(a+)+$", "x\n" + std::string(40, 'a') + "b"));
  EXPECT_EQ(m.matchCount(), 0);
  EXPECT_TRUE(m.search("x|(a+)+$", "x\n" + std::string(10, 'a') + "b")) << "within the limit";
  EXPECT_EQ(m.matchCount(), 1);
}

TEST_P(PatternMatcherTest, DoubleByteCharacterIsOneCharacter) {
  if (!representable(u"\u56FE\u6807")) GTEST_SKIP() << "no Chinese in " << GetParam().name;
  PatternMatcher m(codec());
  m.search("^(.)(.)$", N(u"\u56FE\u6807"));  // "图标": two characters, four GBK bytes
  ASSERT_EQ(m.matchCount(), 1);
  EXPECT_EQ(m.subMatchText(1, 2), N(u"\u6807"));
  m.search("label:'(.*?)'", N(u"application-label:'\u56FE\u6807'"));
  EXPECT_EQ(m.subMatchText(1, 1), N(u"\u56FE\u6807"));
}

TEST_P(PatternMatcherTest, EmptyMatchesAdvance) {
  PatternMatcher m(codec());
  m.search("x*", "abc");
  EXPECT_EQ(m.matchCount(), 4);
}

INSTANTIATE_TEST_SUITE_P(CodePages, PatternMatcherTest, testing::ValuesIn(MatcherTestCodecs()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
