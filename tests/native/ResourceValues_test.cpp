#include "android/ResourceValues.h"

#include <gtest/gtest.h>

// Lines as the carried tool prints them for a package built with minimum
// SDK 21 (so "anydpi-v26" keeps its version), with a bag and a public
// framework-style suffix; a few configurations added by hand.
constexpr const char* kDump =
    "Package Groups (1)\r\n"
    "Package Group 0 id=0x7f packageCount=1 name=com.example.edge\r\n"
    "  Package 0 id=0x7f name=com.example.edge\r\n"
    "    type 0 configCount=1 entryCount=2\r\n"
    "      config (default):\r\n"
    "        resource 0x7f010000 com.example.edge:color/alias: t=0x01 d=0x7f010002 (s=0x0008 r=0x00)\r\n"
    "          (reference) 0x7f010002\r\n"
    "        resource 0x7f010001 com.example.edge:attr/myColor: <bag>\r\n"
    "          Parent=0x00000000(Resolved=0x7f000000), Count=1\r\n"
    "          #0 (Key=0x01000000): (color) #00000010\r\n"
    "        resource 0x7f010002 com.example.edge:color/bg: t=0x1d d=0xff336699 (s=0x0008 r=0x00) (PUBLIC)\r\n"
    "          (color) #ff336699\r\n"
    "    type 1 configCount=6 entryCount=4\r\n"
    "      config (default):\r\n"
    "        resource 0x7f020003 com.example.edge:drawable/vec: t=0x03 d=0x00000007 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable/vec.xml\"\r\n"
    "      config v24:\r\n"
    "        resource 0x7f020003 com.example.edge:drawable/vec: t=0x03 d=0x00000005 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable-v24/vec.xml\"\r\n"
    "      config xhdpi:\r\n"
    "        resource 0x7f020002 com.example.edge:drawable/pic: t=0x03 d=0x00000006 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable-xhdpi-v4/pic.png\"\r\n"
    "      config ldrtl-xxhdpi:\r\n"
    "        resource 0x7f020002 com.example.edge:drawable/pic: t=0x03 d=0x00000003 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable-ldrtl-xxhdpi-v17/pic.png\"\r\n"
    "      config night-xxxhdpi:\r\n"
    "        resource 0x7f020002 com.example.edge:drawable/pic: t=0x03 d=0x00000004 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable-night-xxxhdpi-v8/pic.png\"\r\n"
    "      config en-xxhdpi:\r\n"
    "        resource 0x7f020002 com.example.edge:drawable/pic: t=0x03 d=0x00000002 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable-en-xxhdpi-v4/pic.png\"\r\n"
    "      config nodpi:\r\n"
    "        resource 0x7f020004 com.example.edge:drawable/dots: t=0x03 d=0x00000008 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable-nodpi-v4/dots.png\"\r\n"
    "      config 420dpi:\r\n"
    "        resource 0x7f020004 com.example.edge:drawable/dots: t=0x03 d=0x00000009 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable-420dpi-v4/dots.png\"\r\n"
    "      config xxhdpi:\r\n"
    "        resource 0x7f020004 com.example.edge:drawable/dots: t=0x03 d=0x0000000a (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable-xxhdpi-v4/dots.png\"\r\n"
    "      config ldpi:\r\n"
    "        resource 0x7f020005 com.example.edge:drawable/low: t=0x03 d=0x0000000b (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable-ldpi-v4/low.png\"\r\n"
    "      config (default):\r\n"
    "        resource 0x7f020005 com.example.edge:drawable/low: t=0x03 d=0x0000000c (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/drawable/low.png\"\r\n"
    "    type 2 configCount=2 entryCount=1\r\n"
    "      config xxxhdpi:\r\n"
    "        resource 0x7f030000 com.example.edge:mipmap/ic_launcher: t=0x03 d=0x00000009 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/mipmap-xxxhdpi-v4/ic_launcher.png\"\r\n"
    "      config anydpi-v26:\r\n"
    "        resource 0x7f030000 com.example.edge:mipmap/ic_launcher: t=0x03 d=0x00000008 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"res/mipmap-anydpi-v26/ic_launcher.xml\"\r\n"
    "    type 3 configCount=1 entryCount=1\r\n"
    "      config (default):\r\n"
    "        resource 0x7f040000 com.example.edge:string/path: t=0x03 d=0x00000000 (s=0x0008 r=0x00)\r\n"
    "          (string8) \"M0,0 L10\\\\,10 \\\"Z\\\"\"\r\n";

TEST(ResourceValues, PreferredValueOfEachResource) {
  const ResourceValues values = ParseResourceValues(kDump);
  const struct { std::uint32_t id; std::uint8_t type; std::uint32_t data; const char* string; } cases[] = {
      {0x7f010000, kResReference, 0x7f010002, ""},
      {0x7f010002, kResRgb8, 0xff336699, ""},
      {0x7f020003, kResString, 5, "res/drawable-v24/vec.xml"},            // the higher version
      {0x7f020002, kResString, 6, "res/drawable-xhdpi-v4/pic.png"},       // no locale, night or direction
      {0x7f020004, kResString, 10, "res/drawable-xxhdpi-v4/dots.png"},    // 480 dpi over 420 dpi
      {0x7f020005, kResString, 12, "res/drawable/low.png"},               // no density over ldpi
      {0x7f030000, kResString, 8, "res/mipmap-anydpi-v26/ic_launcher.xml"},
      {0x7f040000, kResString, 0, "M0,0 L10\\,10 \"Z\""},
  };
  for (const auto& c : cases) {
    const ResourceConfigValue* value = values.preferred(c.id);
    ASSERT_TRUE(value) << std::hex << c.id;
    EXPECT_EQ(value->value.type, c.type) << std::hex << c.id;
    EXPECT_EQ(value->value.data, c.data) << std::hex << c.id;
    EXPECT_EQ(value->value.string, c.string) << std::hex << c.id;
  }
  EXPECT_FALSE(values.preferred(0x7f010001)) << "a bag has no single value";
  EXPECT_EQ(values.byId.at(0x7f020002).values.size(), 4u);
  EXPECT_EQ(values.byId.at(0x7f020002).values[3].config, "en-xxhdpi");
  EXPECT_EQ(values.byId.at(0x7f020003).values[0].config, "");
}
