// The in-place SquashFS reader over images Debian's mksquashfs makes at test
// time, one per compressor (real snaps and AppImages are read end to end by
// the Windows tests).
#include "linux/SquashFs.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

Bytes Pattern(std::size_t n) {
  Bytes out(n);
  std::uint32_t x = 2463534242u;
  for (auto& b : out) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    b = static_cast<std::uint8_t>(x % 7);  // compressible, not trivially
  }
  return out;
}

const Bytes kIcon = Pattern(10000);  // two 4 KiB blocks and a fragment

// An image of a small application tree made with mksquashfs and these
// options; empty when mksquashfs fails.
Bytes MakeImage(const std::string& options) {
  const fs::path dir = fs::temp_directory_path() / ("sqfs_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                    std::to_string(std::rand()));
  fs::remove_all(dir);
  const fs::path tree = dir / "tree";
  const auto put = [&](const std::string& path, const Bytes& bytes) {
    fs::create_directories((tree / path).parent_path());
    std::ofstream(tree / path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  };
  const std::string desktop = "[Desktop Entry]\nType=Application\nIcon=demo\n";
  put("usr/share/applications/demo.desktop", Bytes(desktop.begin(), desktop.end()));
  put("usr/share/icons/hicolor/48x48/apps/demo.png", kIcon);
  put("usr/lib/demo/libdemo.so", Pattern(3000));
  put("meta/gui/icon.png", Bytes(kIcon.begin(), kIcon.begin() + 100));
  fs::create_directories(tree / "usr/share/pixmaps");
  fs::create_symlink("../icons/hicolor/48x48/apps/demo.png", tree / "usr/share/pixmaps/demo.png");
  const fs::path image = dir / "image.sqfs";
  const std::string command = "mksquashfs '" + tree.string() + "' '" + image.string() +
                              "' -quiet -no-progress -noappend -all-root -b 4096 " + options + " >/dev/null 2>&1";
  Bytes out;
  if (std::system(command.c_str()) == 0) {
    std::ifstream in(image, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), {});
  }
  fs::remove_all(dir);
  return out;
}

bool Descend(std::string_view folder) { return !folder.starts_with("usr/lib"); }
bool GoOn() { return true; }

std::map<std::string, ArchiveEntry> List(SquashFsImage& image, SquashFsEnd expected = SquashFsEnd::Complete) {
  std::vector<ArchiveEntry> entries;
  EXPECT_EQ(image.list(Descend, GoOn, entries), expected);
  std::map<std::string, ArchiveEntry> byPath;
  for (const ArchiveEntry& entry : entries) byPath[entry.path] = entry;
  return byPath;
}

class SquashFsCompressor : public ::testing::TestWithParam<const char*> {};

TEST_P(SquashFsCompressor, ListsTheFoldersAskedForAndReadsFiles) {
  const Bytes bytes = MakeImage(GetParam());
  ASSERT_FALSE(bytes.empty()) << "mksquashfs " << GetParam();
  SquashFsImage image(bytes);
  ASSERT_EQ(image.state(), SquashFsEnd::Complete);
  const auto entries = List(image);
  ASSERT_EQ(entries.size(), 4u);  // usr/lib left out
  EXPECT_EQ(entries.at("usr/share/icons/hicolor/48x48/apps/demo.png").size, 10000u);
  const ArchiveEntry& link = entries.at("usr/share/pixmaps/demo.png");
  EXPECT_TRUE(link.symbolicLink);
  EXPECT_EQ(link.linkTarget, "../icons/hicolor/48x48/apps/demo.png");
  EXPECT_EQ(image.read("usr/share/icons/hicolor/48x48/apps/demo.png", 1u << 20), kIcon);
  EXPECT_EQ(image.read("meta/gui/icon.png", 1u << 20), Bytes(kIcon.begin(), kIcon.begin() + 100));
  EXPECT_EQ(AsText(image.read("usr/share/applications/demo.desktop", 1u << 20)), "[Desktop Entry]\nType=Application\nIcon=demo\n");
  EXPECT_TRUE(image.read("usr/share/icons/hicolor/48x48/apps/demo.png", 9999).empty());  // beyond the cap
  EXPECT_EQ(image.read("usr/lib/demo/libdemo.so", 1u << 20), Pattern(3000));  // not listed, found from the root
  EXPECT_TRUE(image.read("usr/lib/demo/missing.so", 1u << 20).empty());
  EXPECT_EQ(image.readFollowingLinks("usr/share/pixmaps/demo.png", 1u << 20), kIcon);
}

INSTANTIATE_TEST_SUITE_P(Compressors, SquashFsCompressor,
                         ::testing::Values("-comp gzip", "-comp xz", "-comp lz4", "-comp lz4 -Xhc", "-comp zstd",
                                           "-comp gzip -noI -noD -noF -noX", "-comp xz -no-fragments"));

TEST(SquashFs, LzoImageIsLeftToAnotherReader) {
  const Bytes bytes = MakeImage("-comp lzo");
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(SquashFsImage(bytes).state(), SquashFsEnd::Unsupported);
}

TEST(SquashFs, TruncatedOrLyingImageIsDamaged) {
  const Bytes bytes = MakeImage("-comp zstd");
  ASSERT_FALSE(bytes.empty());
  const std::size_t used = bytes[40] | bytes[41] << 8 | bytes[42] << 16;  // the image's stated size
  EXPECT_EQ(SquashFsImage(ByteSpan(bytes).first(used - 1)).state(), SquashFsEnd::Damaged);
  Bytes lying = bytes;
  lying[79] = 0x7F;  // the folder table's start, far past the image's end
  EXPECT_EQ(SquashFsImage(lying).state(), SquashFsEnd::Damaged);
  Bytes noise = bytes;
  for (std::size_t i = 96; i < noise.size(); i += 7) noise[i] ^= 0x5A;
  SquashFsImage broken(noise);
  std::vector<ArchiveEntry> entries;
  if (broken.state() == SquashFsEnd::Complete) {
    EXPECT_EQ(broken.list(Descend, GoOn, entries), SquashFsEnd::Damaged);
  }
}

TEST(SquashFs, StopsWhenCancelledOrPastTheEntryCap) {
  const Bytes bytes = MakeImage("-comp gzip");
  ASSERT_FALSE(bytes.empty());
  SquashFsImage image(bytes);
  std::vector<ArchiveEntry> entries;
  EXPECT_EQ(image.list(Descend, [] { return false; }, entries), SquashFsEnd::Cancelled);
  entries.clear();
  EXPECT_EQ(image.list(Descend, GoOn, entries, {.maxEntries = 3}), SquashFsEnd::Damaged);
}

}  // namespace
