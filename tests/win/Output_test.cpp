// The picture control, the clipboard copy and the save rule, on a test window.
#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include "image/PngDecode.h"
#include "output/PictureBox_win.h"
#include "output/SaveCopy_win.h"
#include "support/FileIo_win.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "tests/support/TestImages.h"
#include "tests/win/TestSupport.h"
#include "tools/ConsoleRunner_win.h"

namespace {

// 8 x 8: the left half opaque red, the right half fully transparent green.
RgbaImage HalfTransparent() {
  RgbaImage image = SolidImage(8, 8, 255, 0, 0, 255);
  for (int y = 0; y < 8; ++y)
    for (int x = 4; x < 8; ++x) {
      std::uint8_t* p = &image.pixels[(y * 8 + x) * 4];
      p[0] = 0; p[1] = 255; p[3] = 0;
    }
  return image;
}

class PictureWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    host_ = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 60, 60, 240, 240,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(host_);
    box_ = CreatePictureBox(host_, 1, 16, 16, 184, 184, store_);
    ASSERT_TRUE(box_);
    SetForegroundWindow(host_);
    pump();
  }
  void TearDown() override { DestroyWindow(host_); }
  void pump() {
    UpdateWindow(box_);
    MSG msg;
    for (int i = 0; i < 20; ++i) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(10);
    }
  }
  COLORREF at(int x, int y) {
    HDC dc = GetDC(box_);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(box_, dc);
    return c;
  }

  PictureStore store_;
  HWND host_ = nullptr, box_ = nullptr;
};

bool IsCheckerColour(COLORREF c) { return c == RGB(255, 255, 255) || c == RGB(224, 224, 224); }

// A picture twice as wide as high and larger than the box fills the box's
// width, keeps its proportions, centred; its transparent half shows a
// checkerboard, the box above and below it the background colour.
TEST_F(PictureWindowTest, KeepsProportionsWithTransparencyOverACheckerboard) {
  RgbaImage wide = SolidImage(400, 200, 255, 0, 0, 255);
  for (int y = 0; y < 200; ++y)
    for (int x = 200; x < 400; ++x) wide.pixels[(y * 400 + x) * 4 + 3] = 0;
  store_.setPicture(EncodePng(wide));
  pump();
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(at(2, 91), RGB(255, 0, 0)) << "opaque half, to the left edge";
  EXPECT_EQ(at(91, 20), face) << "above the picture: the background";
  EXPECT_EQ(at(91, 170), face) << "below it";
  const COLORREF a = at(150, 91), b = at(150 + 7, 91);
  EXPECT_TRUE(IsCheckerColour(a) && IsCheckerColour(b) && a != b) << std::hex << a << " " << b;

  const RECT shot = [&] { RECT r; GetWindowRect(box_, &r); return r; }();
  SaveScreenRectAsPng(shot, WideFromAnsi(TestEnvironment("TESSAROO_ARTIFACTS") + "\\picturebox.png"));

  const std::uint8_t webp[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', ' '};
  store_.setPicture(Bytes(std::begin(webp), std::end(webp)));
  pump();
  EXPECT_EQ(at(2, 91), face) << "a format the box cannot decode shows only the background";
  EXPECT_EQ(at(91, 91), face) << "no checkerboard either";
  EXPECT_EQ(store_.picture().size(), sizeof webp) << "the store keeps the bytes as handed over";
}

TEST_F(PictureWindowTest, ShowsIconFilesAndOtherFormats) {
  store_.setPicture(EncodeIcoBitmap(HalfTransparent(), 8));
  pump();
  EXPECT_EQ(at(20, 91), RGB(255, 0, 0));
  EXPECT_TRUE(IsCheckerColour(at(160, 91)));
  store_.setPicture(EncodeIcoPng(SolidImage(16, 16, 0, 0, 255, 255)));
  pump();
  EXPECT_EQ(at(91, 91), RGB(0, 0, 255));
}

// The box's accessible object has one identity: whichever of its
// interfaces a screen reader holds, IUnknown is the same pointer, and it
// offers none of the system object's others (IOleWindow, IEnumVARIANT).
TEST_F(PictureWindowTest, AccessibleObjectKeepsOneIdentity) {
  const ScopedOle com(ScopedOle::ComOnly);
  const LRESULT answer = SendMessageW(box_, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  ASSERT_NE(answer, 0);
  IAccessible* object = nullptr;
  ASSERT_EQ(ObjectFromLresult(answer, __uuidof(IAccessible), 0, reinterpret_cast<void**>(&object)), S_OK);
  IUnknown* identity = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  for (REFIID asked : {__uuidof(IAccessible), IID_IDispatch, IID_IOleWindow, IID_IEnumVARIANT}) {
    IUnknown* other = nullptr;
    if (FAILED(object->QueryInterface(asked, reinterpret_cast<void**>(&other)))) continue;
    IUnknown* itsIdentity = nullptr;
    ASSERT_EQ(other->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&itsIdentity)), S_OK);
    EXPECT_EQ(itsIdentity, identity);
    itsIdentity->Release();
    other->Release();
  }
  IOleWindow* window = nullptr;
  EXPECT_EQ(object->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), E_NOINTERFACE);
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  ASSERT_EQ(object->get_accName(self, &name), S_OK);
  EXPECT_STREQ(name, L"Icon");
  SysFreeString(name);
  identity->Release();
  object->Release();
}

// The clipboard is read back by a second process, as another program would.
TEST_F(PictureWindowTest, CopyPutsAnOpaqueBitmapWithWhiteBehindTransparency) {
  SetCurrentDirectoryA(TestProgramFolder().c_str());
  store_.setPicture(EncodePng(HalfTransparent()));
  CopyIconToClipboard(host_, store_);
  EXPECT_EQ(RunConsoleCommand(TestProgramFolder() + "\\clipread.exe", "1 1"), "bitmap=1 dib=1 size=8x8 pixel=FF0000\n");
  EXPECT_EQ(RunConsoleCommand(TestProgramFolder() + "\\clipread.exe", "6 6"), "bitmap=1 dib=1 size=8x8 pixel=FFFFFF\n");

  // Beside it, the PNG with its alpha: the picture's own bytes when it is a
  // PNG, a converted PNG for an icon file.
  TempFolder folder;
  const std::string out = folder.file("clip.png");
  const std::string clipread = TestProgramFolder() + "\\clipread.exe";
  RunConsoleCommand(clipread, "png \"" + out + "\"");
  EXPECT_EQ(ReadWholeFile(out), store_.picture());
  store_.setPicture(EncodeIcoBitmap(HalfTransparent(), 32));
  CopyIconToClipboard(host_, store_);
  RunConsoleCommand(clipread, "png \"" + out + "\"");
  EXPECT_EQ(DecodePng(ReadWholeFile(out)).pixels, HalfTransparent().pixels);

  // With no picture the clipboard keeps what it holds.
  const std::string held = RunConsoleCommand(TestProgramFolder() + "\\clipread.exe", "0 0");
  ASSERT_NE(held, "bitmap=0 dib=0 size=0x0 pixel=FFFFFFFF\n");
  store_.setPicture({});
  CopyIconToClipboard(host_, store_);
  EXPECT_EQ(RunConsoleCommand(TestProgramFolder() + "\\clipread.exe", "0 0"), held);
}

TEST(SavePictureTo, AppliesTheNameRuleAndAsksBeforeReplacingAnotherFile) {
  TempFolder folder;
  const Bytes picture = EncodePng(TestPattern(5, 5));
  int asked = 0;
  auto answer = [&](bool yes) {
    return [&asked, yes](const std::string&) { ++asked; return yes; };
  };

  ASSERT_EQ(SaveOutcome::Saved, SavePictureTo(picture, folder.file("icon"), answer(false)));
  EXPECT_EQ(ReadWholeFile(folder.file("icon.png")), picture) << "byte for byte, nothing re-encoded";
  EXPECT_EQ(asked, 0);

  // "icon" again: the final name icon.png exists and was never confirmed.
  const Bytes other = EncodePng(TestPattern(3, 3));
  EXPECT_EQ(SaveOutcome::Declined, SavePictureTo(other, folder.file("icon"), answer(false)));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(ReadWholeFile(folder.file("icon.png")), picture) << "No writes nothing";
  EXPECT_EQ(SaveOutcome::Saved, SavePictureTo(other, folder.file("icon"), answer(true)));
  EXPECT_EQ(ReadWholeFile(folder.file("icon.png")), other);

  // The dialog itself asked about icon.png: no second question.
  EXPECT_EQ(SaveOutcome::Saved, SavePictureTo(picture, folder.file("icon.png"), answer(false)));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(ReadWholeFile(folder.file("icon.png")), picture);

  EXPECT_EQ(SaveOutcome::Saved, SavePictureTo(picture, folder.file("my.png.icon"), answer(false)));
  EXPECT_TRUE(FileHoldsBytes(folder.file("my.icon.png"), picture));

  // No icon loaded: nothing is written, and the save says it failed.
  EXPECT_EQ(SaveOutcome::Failed, SavePictureTo({}, folder.file("empty"), answer(false)));
  EXPECT_EQ(GetFileAttributesA(folder.file("empty.png").c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_EQ(SaveOutcome::Failed, SavePictureTo(picture, folder.file("no\\such\\folder\\x"), answer(true)));

  // The icon-file type: an icon group as it is, under the .ico name, whichever
  // image is chosen; a PNG holds the chosen image alone.
  const Bytes group = CombineIcons({EncodeIcoPng(TestPattern(32, 32)), EncodeIcoBitmap(TestPattern(16, 16), 32)});
  EXPECT_EQ(SaveOutcome::Saved, SavePictureTo(group, folder.file("app.PNG"), answer(false), SaveFormat::Icon, 1));
  EXPECT_EQ(ReadWholeFile(folder.file("app.ico")), group);
  EXPECT_EQ(GetFileAttributesA(folder.file("app.PNG").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(SaveOutcome::Saved, SavePictureTo(group, folder.file("small"), answer(false), SaveFormat::Png, 1));
  EXPECT_EQ(DecodePng(ReadWholeFile(folder.file("small.png"))).pixels, TestPattern(16, 16).pixels);
}

// A read-only or hidden target the user chose: read-only means the save has
// no effect and says why; hidden is replaced and stays hidden.
TEST(SavePictureTo, ReadOnlyTargetsKeepTheirProtection) {
  TempFolder folder;
  const Bytes picture = EncodePng(TestPattern(3, 3));
  const Bytes old{1, 2, 3};
  const struct { const char* name; DWORD attributes; SaveOutcome outcome; } cases[] = {
      {"locked.png", FILE_ATTRIBUTE_READONLY, SaveOutcome::Failed},
      {"locked-hidden.png", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, SaveOutcome::Failed},
      {"hidden.png", FILE_ATTRIBUTE_HIDDEN, SaveOutcome::Saved},
  };
  for (const auto& c : cases) {
    const std::string path = folder.file(c.name);
    ASSERT_TRUE(WriteTestFile(path, old));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), c.attributes));
    SetLastError(0);
    EXPECT_EQ(SavePictureTo(picture, path, [](const std::string&) { return true; }), c.outcome) << c.name;
    if (c.outcome == SaveOutcome::Failed) EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << c.name;
    EXPECT_EQ(ReadWholeFile(path), c.outcome == SaveOutcome::Saved ? picture : old) << c.name;
    EXPECT_EQ(ComparableAttributes(path), c.attributes) << c.name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}


}  // namespace
