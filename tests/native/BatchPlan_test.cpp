#include "app/BatchPlan.h"

#include <gtest/gtest.h>

#include "support/TextScan.h"

namespace {

// Folds ASCII and the two letters of the test below, as a file system would.
std::string TestFold(std::string_view name) {
  std::string folded = AsciiLowered(name);
  for (std::size_t at; (at = folded.find("\xC3\x84")) != std::string::npos;) folded.replace(at, 2, "\xC3\xA4");
  return folded;
}

TEST(BatchPlan, ClashingNamesTakeACounterInInputOrder) {
  EXPECT_EQ(BatchOutputNames({"app.apk", "App.APK", "other.ipa", "app.apk", "app.apk (2)"}, TestFold),
            (std::vector<std::string>{"app.apk.png", "App.APK (2).png", "other.ipa.png", "app.apk (3).png",
                                      "app.apk (2) (2).png"}));
  // Names the file system folds together, beyond ASCII: "\u00c4" and "\u00e4".
  EXPECT_EQ(BatchOutputNames({"\xC3\x84.png", "\xC3\xA4.png"}, TestFold),
            (std::vector<std::string>{"\xC3\x84.png.png", "\xC3\xA4.png (2).png"}));
}

TEST(BatchPlan, ReportIsJsonInInputOrder) {
  BatchResult ok{"C:\\in\\\"q\".apk", "C:\\out\\\"q\".apk.png", "", 192, 192, 40};
  BatchResult none{"C:\\in\\bad\n.apk", "", "no-icon", 0, 0, 7};
  BatchResult data{"d.deb", "", "data-only", 0, 0, 9};
  EXPECT_NE(BatchReportJson({data}).find("\"result\": \"data-only\", \"reason\": \"data-only\""), std::string::npos);
  EXPECT_EQ(BatchReportJson({ok, none}),
            "[\n"
            "  {\"path\": \"C:\\\\in\\\\\\\"q\\\".apk\", \"output\": \"C:\\\\out\\\\\\\"q\\\".apk.png\", \"result\": \"icon\", "
            "\"reason\": null, \"width\": 192, \"height\": 192, \"milliseconds\": 40},\n"
            "  {\"path\": \"C:\\\\in\\\\bad\\n.apk\", \"output\": null, \"result\": \"no-icon\", \"reason\": \"no-icon\", "
            "\"width\": 0, \"height\": 0, \"milliseconds\": 7}\n"
            "]\n");
  EXPECT_EQ(BatchReportJson({}), "[\n]\n");
}

TEST(BatchPlan, ProgressLineCutsBetweenCharacters) {
  EXPECT_EQ(BatchProgressLine(3, 200, 12.5, "game.apk"), "3/200  12.5 files/s  game.apk");
  // "文" takes bytes 24 to 26: a cut at 26 would split it.
  EXPECT_EQ(BatchProgressLine(3, 200, 12.5, "中文.apk", 26), "3/200  12.5 files/s  \xE4\xB8\xAD");
}

}  // namespace
