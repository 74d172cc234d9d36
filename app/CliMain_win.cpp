// tessaroo-cli INPUT OUTPUT: takes INPUT in as a drop onto the window would,
// and writes the resulting picture to OUTPUT as a PNG, as Save would. For
// scripts and tests.
// Exit codes: 0 a picture was written; 1 no picture (OUTPUT untouched);
// 2 wrong usage; 3 OUTPUT could not be written.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/Intake_win.h"
#include "app/RunDirectory_win.h"
#include "image/ImageCodec_win.h"
#include "output/PictureStore.h"
#include "output/SaveCopy_win.h"
#include "support/FileIo_win.h"
#include "tools/HelperTools_win.h"

namespace {

// Pipelines change the current directory, so both paths are made full first.
std::string FullPath(const char* path) {
  char full[MAX_PATH * 4];
  const DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
  return n == 0 || n >= sizeof full ? std::string() : std::string(full, n);
}

}  // namespace

int main(int argc, char** argv) {
  RestrictLibrarySearchToSystem();
  const std::string input = argc == 3 ? FullPath(argv[1]) : "";
  const std::string output = argc == 3 ? FullPath(argv[2]) : "";
  if (input.empty() || output.empty()) {
    std::fputs("usage: tessaroo-cli INPUT OUTPUT\n", stderr);
    return 2;
  }
  const std::string runDirectory = RunDirectory();
  PrepareRunDirectory(runDirectory);
  SetCurrentDirectoryA(runDirectory.c_str());

  PictureStore picture;
  DispatchFile({runDirectory, {}}, picture, input);
  StopCodec();
  if (!picture.hasPicture()) return 1;
  const Bytes png = PictureAsPng(picture.picture());
  if (png.empty()) return 1;
  return WriteFileAtomically(output, png) ? 0 : 3;
}
