#include "app/RunDirectory_win.h"

#include <windows.h>

#include "support/FileIo_win.h"
#include "tools/HelperTools_win.h"
#include "tools/WorkFolder_win.h"

std::string RunDirectory() {
  std::string path(32768, '\0');
  const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  return FolderOf(path);
}

void RestrictLibrarySearchToSystem() {
  // Looked up at run time: older systems without the update that brought it
  // simply keep their default search.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto set = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                          : nullptr;
  if (set) set(kSearchSystem32);
  SetDllDirectoryW(L"");  // and never the current folder
}

void PrepareRunDirectory(const std::string& runDirectory) {
  DeployHelperTools(GetModuleHandleW(nullptr), runDirectory);
  RemoveStaleWorkFolders(runDirectory);
}
