#pragma once
// A run directory for pipeline tests: a fresh folder holding the helper tools
// exactly as the real program writes them, a picture store, and a context
// naming both.
#include <cstdint>
#include <string>
#include <vector>

#include "output/PictureStore.h"
#include "tools/Pipeline.h"
#include <gtest/gtest.h>

#include "tests/win/TestSupport.h"

// What an icon file holds, read from its header by hand: the number of
// images, the first image's width, height and bits per pixel as its entry
// states them (256 stored as 0), and for a 32-bit bitmap its first stored
// pixel (the bottom-left one) as 0xAARRGGBB.
struct IconFileFacts {
  int images = 0, width = 0, height = 0, bits = 0;
  std::uint32_t firstPixel = 0;
};
IconFileFacts ReadIconFileFacts(const Bytes& icon);

// Expects the icon of the fixture program pe32-order.exe: its 48 x 48
// 32-bit image, solid green (30, 180, 60), the one make_exes.py states.
void ExpectPe32OrderIcon(const Bytes& icon, const std::string& what);

class RunFolderTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A fixture file of build/win/fixtures.
  static std::string Fixture(const std::string& relative);
  // A text fixture's first line.
  static std::string FixtureLine(const std::string& relative);
  // The widths of an icon group's images, in order ("192 144 48"); empty
  // for a picture that is no group.
  static std::string GroupSides(const Bytes& picture);

  // Marks the picture so a test can tell it stayed unchanged.
  void setSentinel();
  bool pictureIsSentinel() const;

  TempFolder folder_;
  std::vector<std::string> startNames_;  // the run directory once its tools are written
  PictureStore store_;
  PipelineContext context_{folder_.path()};

  // Runs the file through the dispatcher, as a drop would, into store_.
  IconReason dispatch(const std::string& path);

  // Runs a copy of tessaroo-cli.exe placed in the run directory (so the run
  // directory is its own; another folder when given) with the arguments; its
  // exit code, -1 when it could not be started.
  int runCli(const std::string& arguments, const std::string& runDirectory = {});
  // The same in the run directory, with what it printed (standard output and
  // error together) in said.
  int runCli(const std::string& arguments, std::string& said);

  // The names in the run directory, sorted; a test compares them before and
  // after a run to see what the run left behind.
  std::vector<std::string> runDirectoryNames() const;

  // Names in the run directory that were not there when the test began,
  // apart from the copy of the command-line program and the names allowed.
  std::vector<std::string> leftovers(const std::vector<std::string>& allowed = {"icon.png"}) const;

  // Runs tessaroo-cli on the fixture (a path under build/win/fixtures) and
  // expects a square PNG of that side whose first pixel has that colour,
  // or, for side 0, exit code 1 and no file; and no leftovers either way.
  // Prints the time the run took, for the record.
  struct CliIcon {
    const char* fixture;
    int side;
    std::uint8_t red, green, blue;
    const char* options = "";  // before INPUT, as "--size 64 "
  };
  void expectCliIcon(const CliIcon& expected);
};
