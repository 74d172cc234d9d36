#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "app/FileRoute.h"
#include "windows/Shortcut.h"

namespace {

std::string RoutedTo(std::string_view path, LeadBytePredicate isLead = NoLeadBytes) {
  const InputKind* kind = KindByPath(path, InputKinds(), isLead);
  return kind ? std::string(kind->extension) : "none";
}

TEST(KindByPath, TheFileNamesOwnExtensionDecidesWhateverItsCase) {
  const struct { const char* path; const char* route; } cases[] = {
      {"C:\\pkg\\game.apk", ".apk"},
      {"C:\\pkg\\Game.APKS", ".apks"},
      {"C:\\Setup\\SETUP.EXE", ".exe"},
      {"C:\\Windows\\SystemResources\\imageres.dll.mun", ".mun"},
      {"C:\\a.apk.exe", ".exe"},                   // a double extension: the last one
      {"C:\\my.apks\\tool.exe", ".exe"},
      {"C:/fwd.ipa/app.lnk", ".lnk"},
      // A file still downloading: the extension before the browser's suffix.
      {"C:\\dl\\game.apk.part", ".apk"},
      {"C:\\dl\\game.apks.part", ".apks"},       // a bundle, though ".apk" is in its name too
      {"C:\\dl\\game.apkm.crdownload", ".apkm"},
      {"C:\\dl\\a.msixbundle.part", ".msixbundle"},
      {"C:\\dl\\setup.msi.part", ".msi"},
      {"C:\\x.APK.Part", ".apk"},
      // Only the file's own name, and only its extension, names a kind.
      {"C:\\my.debug\\readme.md", "none"},
      {"C:\\pkg.apk\\noextension", "none"},
      {"C:\\photos.pngs\\notes.txt", "none"},
      {"C:\\tool.exe.config", "none"},
      {"C:\\x.exe.bak", "none"},
      {"C:\\logo.svgz", ".svgz"},
      {"C:\\logo.svgz.gz", "none"},
      {"C:\\game.png.", "none"},
      {"C:\\game.png ", "none"},
      {"C:\\dl\\.part", "none"},
      {"C:\\readme.txt", "none"},
      {"", "none"},
  };
  for (const auto& c : cases) EXPECT_EQ(RoutedTo(c.path), c.route) << c.path;
}

TEST(KindByPath, StepsOverDoubleByteCharactersOfTheSystemCodePage) {
  // On code page 1252 "\xE9" is one character: C:\Caf\xE9.apk is a package.
  EXPECT_EQ(RoutedTo("C:\\Caf\xE9.apk"), ".apk");
  // On code page 936 a lead byte takes the next byte with it: 0xB0 0x2E is
  // one character, not a dot before an extension.
  EXPECT_EQ(RoutedTo("C:\\x\xB0.apk", Gbk936LeadByte), "none");
  EXPECT_EQ(RoutedTo("C:\\x\xB0.apk", NoLeadBytes), ".apk");
}

TEST(ImportPatterns, EveryKindInListOrderThenOneFilterPerFamily) {
  EXPECT_EQ(ImportPatterns(InputKinds()),
            "*.xapk;*.apks;*.apkm;*.apk;*.webp;*.exe;*.ipa;*.lnk;*.dll;*.cpl;*.ocx;*.scr;*.mun;*.ico;"
            "*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.msixbundle;*.appxbundle;*.msix;*.appx;*.msi;*.deb;*.rpm;*.appimage;*.snap;*.svg;*.svgz;*.xpm;*.icns;*.zip;*.dmg;*.crx;*.xpi");
  EXPECT_EQ(ImportPatterns({}), "");
  const std::vector<ImportFilter> filters = ImportFilters(InputKinds());
  std::vector<std::string> patterns;
  for (const ImportFilter& f : filters) patterns.push_back(f.patterns);
  EXPECT_EQ(patterns, (std::vector<std::string>{
                          ImportPatterns(InputKinds()),
                          "*.xapk;*.apks;*.apkm;*.apk",
                          "*.ipa",
                          "*.exe;*.lnk;*.dll;*.cpl;*.ocx;*.scr;*.mun;*.msixbundle;*.appxbundle;*.msix;*.appx;*.msi",
                          "*.deb;*.rpm;*.appimage;*.snap",
                          "*.icns;*.zip;*.dmg",
                          "*.crx;*.xpi",
                          "*.webp;*.ico;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.svg;*.svgz;*.xpm",
                          "*.*",
                      }));
  EXPECT_EQ(filters.back().name, "所有文件 All files");
}

// A shortcut laid out by hand: header, ID list of n bytes, LinkInfo whose
// LocalBasePathOffset points at the path.
Bytes Shortcut(std::int16_t idListSize, std::int32_t basePathOffset, const std::string& path) {
  Bytes b(76, 0);
  b[0] = 0x4C;
  b.push_back(static_cast<std::uint8_t>(idListSize));
  b.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(idListSize) >> 8));
  b.resize(78 + (idListSize > 0 ? idListSize : 0), 0xEE);
  const std::size_t linkInfo = b.size();
  b.resize(linkInfo + 28, 0);
  for (int i = 0; i < 4; ++i) b[linkInfo + 16 + i] = static_cast<std::uint8_t>(basePathOffset >> (8 * i));
  b.resize(linkInfo + static_cast<std::size_t>(basePathOffset), 0);
  b.insert(b.end(), path.begin(), path.end());
  b.push_back(0);
  b.insert(b.end(), {'t', 'a', 'i', 'l'});
  return b;
}

TEST(ReadShortcutTarget, FollowsTheLinkInfoToTheLocalBasePath) {
  EXPECT_EQ(ReadShortcutTarget(Shortcut(20, 28, "C:\\Tools\\app.exe")), "C:\\Tools\\app.exe");
  EXPECT_EQ(ReadShortcutTarget(Shortcut(0, 28, "C:\\x.exe")), "C:\\x.exe");
  Bytes noZero = Shortcut(4, 28, "C:\\cut");
  noZero.resize(noZero.size() - 5);
  EXPECT_EQ(ReadShortcutTarget(noZero), "C:\\cut") << "runs to the end of the bytes";
}

TEST(ReadShortcutTarget, OffsetsOutsideTheFileGiveEmptyText) {
  EXPECT_EQ(ReadShortcutTarget(Bytes{}), "");
  // LocalBasePathOffset (at 78 + 20 + 16) pointing beyond the end, or before the start.
  for (std::int32_t offset : {100000, -2000, INT32_MAX, INT32_MIN}) {
    Bytes lying = Shortcut(20, 28, "C:\\x.exe");
    for (int i = 0; i < 4; ++i) lying[78 + 20 + 16 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(offset) >> (8 * i));
    EXPECT_EQ(ReadShortcutTarget(lying), "") << offset;
  }
  Bytes hugeList = Shortcut(20, 28, "C:\\x.exe");
  hugeList[76] = 0xFF;
  hugeList[77] = 0x7F;
  EXPECT_EQ(ReadShortcutTarget(hugeList), "");
  Bytes negativeList = hugeList;
  negativeList[77] = 0x80;  // -32513
  EXPECT_EQ(ReadShortcutTarget(negativeList), "");
  // Cut anywhere, the file gives the path up to the cut, or nothing.
  const Bytes whole = Shortcut(20, 28, "C:\\x.exe");
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    const std::string target = ReadShortcutTarget(ByteSpan(whole).first(n));
    EXPECT_TRUE(std::string("C:\\x.exe").starts_with(target)) << n << ": " << target;
  }
}

// A shortcut whose link info header (0x24 bytes) carries the Unicode paths:
// the ANSI base path, then LocalBasePathUnicode and CommonPathSuffixUnicode.
Bytes UnicodeShortcut(const std::string& ansi, const std::u16string& base, const std::u16string& suffix) {
  Bytes b(76, 0);
  b[0] = 0x4C;
  b.insert(b.end(), {0, 0});  // no ID list
  const std::size_t info = b.size();
  b.resize(info + 0x24, 0);
  auto put32 = [&b, info](std::size_t field, std::size_t value) {
    for (int i = 0; i < 4; ++i) b[info + field + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  auto wide = [&b](const std::u16string& text) {
    for (char16_t c : text) b.insert(b.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)});
    b.insert(b.end(), {0, 0});
  };
  put32(4, 0x24);
  put32(16, b.size() - info);
  b.insert(b.end(), ansi.begin(), ansi.end());
  b.push_back(0);
  put32(28, b.size() - info);
  wide(base);
  put32(32, b.size() - info);
  wide(suffix);
  return b;
}

TEST(ReadShortcutUnicodeTarget, BasePathThenSuffixWhereTheHeaderCarriesThem) {
  const Bytes link = UnicodeShortcut("C:\\??\\a.exe", u"C:\\\u5FAE\u4FE1\\", u"a.exe");
  EXPECT_EQ(ReadShortcutUnicodeTarget(link), u"C:\\\u5FAE\u4FE1\\a.exe");
  EXPECT_EQ(ReadShortcutTarget(link), "C:\\??\\a.exe") << "the ANSI path stays as it was";
  EXPECT_EQ(ReadShortcutUnicodeTarget(UnicodeShortcut("C:\\x.exe", u"C:\\x.exe", u"")), u"C:\\x.exe");
  Bytes oldHeader = link;
  oldHeader[78 + 4] = 0x1C;  // a header without the Unicode fields
  EXPECT_EQ(ReadShortcutUnicodeTarget(oldHeader), u"");
  EXPECT_EQ(ReadShortcutUnicodeTarget(Shortcut(20, 28, "C:\\x.exe")), u"");
  for (std::size_t n = 0; n < link.size(); ++n) {
    const std::u16string cut = ReadShortcutUnicodeTarget(ByteSpan(link).first(n));  // never reads past the end
    EXPECT_LE(cut.size() * 2, n);
  }
}

}  // namespace
