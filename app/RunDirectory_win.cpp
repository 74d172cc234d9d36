#include "app/RunDirectory_win.h"

#include <windows.h>

#include "support/FileIo_win.h"

std::string RunDirectory() {
  std::string path(32768, '\0');
  const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  return FolderOf(path);
}
