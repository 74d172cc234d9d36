#include "app/BatchPlan.h"

#include <gtest/gtest.h>

namespace {

TEST(BatchPlan, ClashingNamesTakeACounterInInputOrder) {
  EXPECT_EQ(BatchOutputNames({"app.apk", "App.APK", "other.ipa", "app.apk", "app.apk (2)"}),
            (std::vector<std::string>{"app.apk.png", "App.APK (2).png", "other.ipa.png", "app.apk (3).png",
                                      "app.apk (2) (2).png"}));
}

TEST(BatchPlan, ReportIsJsonInInputOrder) {
  BatchResult ok{"C:\\in\\\"q\".apk", "C:\\out\\\"q\".apk.png", "", 192, 192, 40};
  BatchResult none{"C:\\in\\bad\n.apk", "", "no-icon", 0, 0, 7};
  EXPECT_EQ(BatchReportJson({ok, none}),
            "[\n"
            "  {\"path\": \"C:\\\\in\\\\\\\"q\\\".apk\", \"output\": \"C:\\\\out\\\\\\\"q\\\".apk.png\", \"result\": \"icon\", "
            "\"reason\": null, \"width\": 192, \"height\": 192, \"milliseconds\": 40},\n"
            "  {\"path\": \"C:\\\\in\\\\bad\\n.apk\", \"output\": null, \"result\": \"no icon\", \"reason\": \"no-icon\", "
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
