// The one-pass package reader over packages libarchive's writer makes (real
// packages are read end to end by the Windows tests), and the package
// relations read from control files and rpm headers.
#include "linux/PackagePass.h"

#include <array>

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include "linux/LinuxIconChoice.h"
#include "linux/PackageRelations.h"

namespace {

struct Item {
  std::string path;
  Bytes bytes;
  std::string link;  // a symbolic link to this target when not empty
};

// An archive in the given format and filter holding the items.
Bytes Write(int (*format)(archive*), int (*filter)(archive*), const std::vector<Item>& items) {
  std::vector<char> out(16u << 20);
  std::size_t used = 0;
  archive* a = archive_write_new();
  format(a);
  filter(a);
  archive_write_set_bytes_in_last_block(a, 1);
  archive_write_open_memory(a, out.data(), out.size(), &used);
  for (const Item& item : items) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, item.path.c_str());
    archive_entry_set_perm(e, 0644);
    archive_entry_set_filetype(e, item.link.empty() ? AE_IFREG : AE_IFLNK);
    if (!item.link.empty()) archive_entry_set_symlink(e, item.link.c_str());
    archive_entry_set_size(e, la_int64_t(item.bytes.size()));
    archive_write_header(a, e);
    archive_write_data(a, item.bytes.data(), item.bytes.size());
    archive_entry_free(e);
  }
  archive_write_free(a);
  return Bytes(out.begin(), out.begin() + std::ptrdiff_t(used));
}

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Deb(const std::string& dataName, const Bytes& data) {
  const Bytes control = Write(archive_write_set_format_pax_restricted, archive_write_add_filter_gzip,
                              {{"./control", Text("Package: demo\nSource: demo-src\nDepends: libc6, demo-src-data (>= 1)\n")}});
  return Write(archive_write_set_format_ar_svr4, archive_write_add_filter_none,
               {{"debian-binary", Text("2.0\n")}, {"control.tar.gz", control}, {dataName, data}});
}

const PassRules kIconRules{.keep = [](std::string_view path, std::uint64_t) { return MayHoldIcon(path); }};

TEST(PackagePass, KeepsDesktopFilesAndIconsListsTheRest) {
  const Bytes data = Write(archive_write_set_format_pax_restricted, archive_write_add_filter_xz,
                           {{"./usr/share/applications/demo.desktop", Text("[Desktop Entry]\nIcon=demo\n")},
                            {"./usr/share/pixmaps/demo.png", Text("png")},
                            {"./usr/share/doc/demo/README", Text("text")},
                            {"./usr/share/pixmaps/link.png", {}, "demo.png"},
                            {"./usr/share/pixmaps/empty.png", {}}});
  PackageContents contents;
  ASSERT_EQ(ReadDebPackage(Deb("data.tar.xz", data), kIconRules, contents), PassEnd::Complete);
  ASSERT_EQ(contents.entries.size(), 5u);
  EXPECT_EQ(contents.entries[3].linkTarget, "demo.png");
  EXPECT_TRUE(contents.entries[3].symbolicLink);
  EXPECT_EQ(contents.kept.size(), 2u) << "an empty file is listed, never kept";
  EXPECT_EQ(contents.kept["usr/share/pixmaps/demo.png"], Text("png"));
  EXPECT_EQ(DataSibling(ReadDebControl(contents.control)), "demo-src-data");
}

TEST(PackagePass, HostilePackagesEndDamagedOrCancelled) {
  const Bytes zip = Write(archive_write_set_format_zip, archive_write_add_filter_none, {{"x", Text("x")}});
  const Bytes zeros = Write(archive_write_set_format_pax_restricted, archive_write_add_filter_gzip,
                            {{"./usr/share/pixmaps/big.png", Bytes(4u << 20)}});
  PassRules small = kIconRules;
  small.limits.maxPassedBytes = 1u << 20;
  PassRules cancelled = kIconRules;
  cancelled.keepGoing = [] { return false; };
  const struct {
    const char* what;
    Bytes deb;
    const PassRules& rules;
    PassEnd end;
  } kCases[] = {
      {"a ZIP posing as the data archive", Deb("data.tar.xz", zip), kIconRules, PassEnd::Damaged},
      {"an unknown compressor", Deb("data.tar.foo", zeros), kIconRules, PassEnd::Damaged},
      {"no data archive", Deb("other.tar.gz", zeros), kIconRules, PassEnd::Damaged},
      {"unpacking past the cap", Deb("data.tar.gz", zeros), small, PassEnd::Damaged},
      {"not a package at all", Text("!<arch>\ngarbage"), kIconRules, PassEnd::Damaged},
      {"cancelled", Deb("data.tar.gz", zeros), cancelled, PassEnd::Cancelled},
  };
  for (const auto& c : kCases) {
    PackageContents contents;
    EXPECT_EQ(ReadDebPackage(c.deb, c.rules, contents), c.end) << c.what;
  }
  PackageContents contents;
  EXPECT_EQ(ReadRpmPackage(zeros, kIconRules, contents), PassEnd::Damaged) << "a tar posing as an rpm";
}

TEST(PackageRelations, TheDataSiblingStartsWithTheOwnOrSourceName) {
  const struct {
    const char* control;
    const char* sibling;
  } kCases[] = {
      {"Package: gimp\nDepends: libc6 (>= 2.34), gimp-data (>= 2.10.34), gimp-data (<= 2.10.34-z)\n", "gimp-data"},
      {"Package: kate\nDepends: kate5-data (>= 4:22.12.3),\n ktexteditor-katepart\n", "kate5-data"},
      {"Package: libreoffice-writer\nSource: libreoffice (1:7.4.7-1)\nDepends: libreoffice-base-core,\n"
       " libreoffice-core | libreoffice-core-nogui\nRecommends: libreoffice-common:any\n",
       "libreoffice-common"},
      {"Package: emacs-gtk\nSource: emacs\nPre-Depends: emacs-common (= 1:28.2)\n", "emacs-common"},
      {"Package: emacs-gtk\nSource: emacs\nDepends: emacs-bin-common (= 1:28.2), emacs-common (= 1:28.2)\n", "emacs-common"},
      {"Package: tool\nDepends: other-data, tool\n", ""},
      {"Package: tool\n\nPackage: second\nDepends: tool-data\n", ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(DataSibling(ReadDebControl(c.control)), c.sibling) << c.control;
}

TEST(PackageRelations, RpmHeaderNamesAndRequires) {
  // Lead, an empty signature header, and a main header of three tags.
  Bytes rpm = {0xed, 0xab, 0xee, 0xdb};
  rpm.resize(96);
  const auto header = [&rpm](std::vector<std::array<std::uint32_t, 4>> index, std::string_view store) {
    for (std::uint32_t v : {0x8eade801u, 0u, std::uint32_t(index.size()), std::uint32_t(store.size())}) PutU32be(rpm, v);
    for (const auto& entry : index)
      for (std::uint32_t v : entry) PutU32be(rpm, v);
    rpm.insert(rpm.end(), store.begin(), store.end());
    while (rpm.size() % 8) rpm.push_back(0);
  };
  header({}, "");
  header({{1000, 6, 0, 1}, {1044, 6, 5, 1}, {1049, 8, 33, 3}},
         std::string_view("gimp\0gimp-2.10.34-1.fc38.src.rpm\0/bin/sh\0gimp-data(x86-64) = 2.10\0libgimp.so()\0", 79));
  const PackageRelations relations = ReadRpmHeader(rpm);
  EXPECT_EQ(relations.name, "gimp");
  EXPECT_EQ(relations.source, "gimp");
  EXPECT_EQ(DataSibling(relations), "gimp-data");
  rpm.resize(rpm.size() - 60);
  EXPECT_EQ(ReadRpmHeader(rpm).name, "") << "a store cut short";
}

}  // namespace
