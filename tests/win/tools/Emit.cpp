// Stands in for a helper tool in the runner tests. Usage:
//   emit text WORD        WORD on standard output
//   emit interleave       lines alternately on standard output and error
//   emit zero             "ab", a zero byte, "cd"; later "ef"
//   emit bytes N          N bytes of numbered lines on standard output
//   emit sleep MS         nothing; sleeps
//   emit late MS WORD     sleeps, then WORD on standard output
//   emit utf8             UTF-8 Chinese text
//   emit cwd              the current folder
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Put(DWORD which, const void* data, size_t size) {
  DWORD done = 0;
  WriteFile(GetStdHandle(which), data, static_cast<DWORD>(size), &done, nullptr);
}
void Put(DWORD which, const std::string& s) { Put(which, s.data(), s.size()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string verb = argv[1];
  const std::string arg = argc > 2 ? argv[2] : "";
  if (verb == "cwd") {
    char folder[MAX_PATH * 4] = {};
    Put(STD_OUTPUT_HANDLE, std::string(folder, GetCurrentDirectoryA(sizeof folder, folder)));
  } else if (verb == "text") {
    Put(STD_OUTPUT_HANDLE, arg);
  } else if (verb == "interleave") {
    for (int i = 1; i <= 3; ++i) {
      Put(STD_OUTPUT_HANDLE, "out" + std::to_string(i) + "\n");
      Sleep(60);
      Put(STD_ERROR_HANDLE, "err" + std::to_string(i) + "\n");
      Sleep(60);
    }
  } else if (verb == "zero") {
    Put(STD_OUTPUT_HANDLE, "ab\0cd", 5);
    Sleep(150);
    Put(STD_OUTPUT_HANDLE, "ef");
  } else if (verb == "bytes") {
    const long long total = std::atoll(arg.c_str());
    std::string block;
    for (long long written = 0; written < total;) {
      block.clear();
      while (block.size() < 65536) block += "line " + std::to_string(written + block.size()) + "\n";
      const long long n = total - written < static_cast<long long>(block.size())
                              ? total - written : static_cast<long long>(block.size());
      Put(STD_OUTPUT_HANDLE, block.data(), static_cast<size_t>(n));
      written += n;
    }
  } else if (verb == "sleep") {
    Sleep(static_cast<DWORD>(std::atoi(arg.c_str())));
  } else if (verb == "late") {  // emit late MS WORD: WORD after MS milliseconds
    Sleep(static_cast<DWORD>(std::atoi(arg.c_str())));
    if (argc > 3) Put(STD_OUTPUT_HANDLE, argv[3]);
  } else if (verb == "utf8") {
    Put(STD_OUTPUT_HANDLE, "\xE4\xB8\xAD\xE6\x96\x87 label");  // "中文 label"
  } else {
    return 2;
  }
  return 0;
}
