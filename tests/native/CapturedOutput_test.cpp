#include "tools/CapturedOutput.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(AppendCapturedChunk, ZeroByteCutsOnlyItsOwnChunk) {
  std::string out;
  const std::string first = "ab\0cd"s, second = "ef"s;
  AppendCapturedChunk(out, first);
  AppendCapturedChunk(out, second);
  EXPECT_EQ(out, "abef");
  AppendCapturedChunk(out, "\0zz"s);
  EXPECT_EQ(out, "abef");
}

TEST(AppendCapturedChunk, StopsStoringAtTheCap) {
  std::string out;
  AppendCapturedChunk(out, "12345"s, 8);
  AppendCapturedChunk(out, "67890"s, 8);
  EXPECT_EQ(out, "12345678");
  AppendCapturedChunk(out, "more"s, 8);
  EXPECT_EQ(out, "12345678");
}
