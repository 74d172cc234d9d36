// Real Debian 12 desktop-application packages through tessaroo-cli under Wine,
// fetched by tests/fixtures/fetch_debs.py (pinned versions and digests) with
// each expected answer taken out of the package by hand: a PNG icon byte for
// byte, a scalable icon as Debian's rsvg-convert draws it at 256 x 256, an
// XPM icon's pixels, an icon set's JPEG 2000 image as Debian's opj_decompress
// decodes it, or a reason.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "image/PngDecode.h"
#include "support/FileIo_win.h"
#include "tests/win/PipelineHarness.h"

namespace {

// Png: the package's PNG byte for byte; Pixels: a drawn (SVG) or decoded (XPM)
// icon, pixel for pixel within anti-aliasing; Reason: exit 1 and that reason.
enum class Answer { Png, Pixels, Reason };

struct RealPackage {
  const char* deb;       // under real-deb\ ; its answer is real-deb\<name>.expected.png
  Answer answer;
  const char* reason;    // the start of standard error's line, for Answer::Reason
};

// Two drawings of one icon agree within anti-aliasing: on premultiplied RGBA,
// at most 0.5 % of the pixels differ by more than 32 levels in a channel and
// the mean of every pixel's largest channel difference stays under 1 level.
void ExpectDrawnAlike(const RgbaImage& ours, const RgbaImage& theirs) {
  ASSERT_EQ(ours.width, theirs.width);
  ASSERT_EQ(ours.height, theirs.height);
  ASSERT_EQ(ours.pixels.size(), theirs.pixels.size());
  std::size_t big = 0, total = 0;
  for (std::size_t i = 0; i + 3 < ours.pixels.size(); i += 4) {
    const int a = ours.pixels[i + 3], b = theirs.pixels[i + 3];
    int most = std::abs(a - b);
    for (int k = 0; k < 3; ++k)
      most = std::max(most, std::abs(ours.pixels[i + k] * a / 255 - theirs.pixels[i + k] * b / 255));
    total += most;
    big += most > 32;
  }
  const std::size_t n = ours.pixels.size() / 4;
  EXPECT_LE(big * 1000, n * 5) << big << " pixels differ by more than 32";
  EXPECT_LT(total, n) << "mean difference " << double(total) / double(n);
}

class RealPackageTest : public RunFolderTest {};

TEST_F(RealPackageTest, EveryPackage) {
  const RealPackage cases[] = {
      // GNOME: reverse-DNS names, a scalable icon only (and a symbolic one, never taken).
      {"gnome-calculator_43.0.1-2_amd64.deb", Answer::Pixels, nullptr},
      {"gnome-chess_43.1-1_amd64.deb", Answer::Pixels, nullptr},
      // Xfce: org.xfce.mousepad, two entries, the scalable icon before 128x128.
      {"mousepad_0.5.10-2_amd64.deb", Answer::Pixels, nullptr},
      // KDE: PNGs up to 128x128; ark's scalable icon is compressed.
      {"kruler_22.12.3-1_amd64.deb", Answer::Png, nullptr},
      {"ark_22.12.3-1+deb12u1_amd64.deb", Answer::Pixels, nullptr},
      // Icon=accessories-calculator, an icon of the desktop's theme.
      {"kcalc_22.12.3-1_amd64.deb", Answer::Reason,
       "theme-icon: Uses the desktop theme's icon \"accessories-calculator\""},
      // XPM only: by name, by absolute path, by the legacy name with .xpm.
      {"xbill_2.1-9_amd64.deb", Answer::Pixels, nullptr},
      {"gv_3.7.4-2+b1_amd64.deb", Answer::Pixels, nullptr},
      {"xjump_2.7.5-6.2+b1_amd64.deb", Answer::Pixels, nullptr},
      // A PNG in usr/share/pixmaps only; an absolute Icon= path to a PNG.
      {"mtpaint_3.40-3.1+b2_amd64.deb", Answer::Png, nullptr},
      {"hardinfo_0.5.1+git20180227-2.1+b1_amd64.deb", Answer::Png, nullptr},
      // A pixmap that is a link into the application's own folder.
      {"guake_3.9.0-2_all.deb", Answer::Png, nullptr},
      // Icon=gtkterm.png (legacy): the 256x256 PNG, not the pixmap.
      {"gtkterm_1.2.1-1_amd64.deb", Answer::Png, nullptr},
      {"xsane_0.999-12.1~deb12u1_amd64.deb", Answer::Png, nullptr},
      // Several entries: xfe.desktop of four; xterm's two, Icon=mini.xterm,
      // whose only match is an SVG with text, which is not drawn.
      {"xfe_1.45-2_amd64.deb", Answer::Png, nullptr},
      {"xterm_379-1_amd64.deb", Answer::Reason, "svg-feature: The SVG icon uses text, which is not drawn"},
      // A plain scalable name; an entry not named after its package, whose SVG
      // blurs and composites its edges.
      {"xpad_5.8.0-1_amd64.deb", Answer::Pixels, nullptr},
      {"xfce4-terminal_1.0.4-1_amd64.deb", Answer::Pixels, nullptr},
      {"galternatives_1.0.9_all.deb", Answer::Pixels, nullptr},
      // Masks over a colour matrix and an embedded PNG; blurred shadows.
      {"gnome-calendar_43.1-2_amd64.deb", Answer::Pixels, nullptr},
      {"simple-scan_42.5-2_amd64.deb", Answer::Pixels, nullptr},
      {"gpodder_3.11.1-1_all.deb", Answer::Pixels, nullptr},
      // The icon lives in the sibling transmission-common, which has no entry;
      // transmission-gtk depends on it, and both come from one source.
      {"transmission-gtk_3.00-2.1+deb12u1_amd64.deb", Answer::Reason,
       "icon-elsewhere: The icon \"transmission\" is in another package (transmission-common)"},
      {"transmission-common_3.00-2.1+deb12u1_all.deb", Answer::Reason, "no-icon:"},
      // Icon sets out of packages: a JPEG 2000 image as Debian's opj_decompress
      // decodes it, the largest over classic ones, and one alone.
      {"cecilia_Cecilia5.icns", Answer::Pixels, nullptr},
      {"renpy_icon.icns", Answer::Pixels, nullptr},
  };
  for (const RealPackage& c : cases) {
    SCOPED_TRACE(c.deb);
    const std::string deb = c.deb;
    const std::string expected = Fixture("real-deb\\" + deb.substr(0, deb.find('_')) + ".expected.png");
    const TempFolder outside;
    const std::string out = outside.file("out.png");
    std::string said;
    const ULONGLONG start = GetTickCount64();
    const int code = runCli("\"" + Fixture("real-deb\\" + deb) + "\" \"" + out + "\"", said);
    std::printf("tessaroo-cli %s: %llu ms\n", c.deb, GetTickCount64() - start);
    if (c.answer == Answer::Reason) {
      EXPECT_EQ(code, 1);
      EXPECT_EQ(said.rfind(c.reason, 0), 0u) << said;
      continue;
    }
    EXPECT_EQ(code, 0) << said;
    if (code != 0) continue;
    if (c.answer == Answer::Png) {
      EXPECT_TRUE(ReadWholeFile(out) == ReadWholeFile(expected)) << "the package's PNG, byte for byte";
    } else {
      ExpectDrawnAlike(DecodePng(ReadWholeFile(out)), DecodePng(ReadWholeFile(expected)));
    }
  }
}

// An application and its data package given together, in a batch: the
// application's icon comes from the data package and is named after the
// application; the data package gives no output of its own, and no failure.
TEST_F(RealPackageTest, PackagesGivenTogetherFindEachOther) {
  const TempFolder outside;
  const std::string out = outside.file("out"), report = outside.file("report.json");
  std::string said;
  EXPECT_EQ(runCli("--report \"" + report + "\" --out \"" + out + "\" \"" +
                       Fixture("real-deb\\transmission-common_3.00-2.1+deb12u1_all.deb") + "\" \"" +
                       Fixture("real-deb\\transmission-gtk_3.00-2.1+deb12u1_amd64.deb") + "\"",
                   said),
            0)
      << said;
  ExpectDrawnAlike(DecodePng(ReadWholeFile(out + "\\transmission-gtk_3.00-2.1+deb12u1_amd64.deb.png")),
                   DecodePng(ReadWholeFile(Fixture("real-deb\\transmission-gtk+transmission-common.expected.png"))));
  EXPECT_EQ(GetFileAttributesA((out + "\\transmission-common_3.00-2.1+deb12u1_all.deb.png").c_str()), INVALID_FILE_ATTRIBUTES);
  const Bytes json = ReadWholeFile(report);
  EXPECT_NE(std::string(json.begin(), json.end()).find("\"result\": \"data-only\", \"reason\": \"data-only\""), std::string::npos);
}

}  // namespace
