#include "windows/ExeIcon_win.h"

#include <windows.h>

#include "support/FileIo_win.h"
#include "windows/IconGroup.h"

Bytes ExtractExeIcon(const std::string& executablePath) {
  if (executablePath.empty()) return {};
  const FileView file(executablePath);
  return ExtractIconFromPe(file.bytes(), GetUserDefaultUILanguage());
}

Bytes ExtractLibraryIcon(const PipelineContext&, const std::string& libraryPath) {
  if (libraryPath.empty()) return {};
  {
    const FileView file(libraryPath);
    if (HasIconGroups(file.bytes())) return ExtractIconFromPe(file.bytes(), GetUserDefaultUILanguage());
  }
  // Since Windows 10 1903 many system libraries carry no icons of their own:
  // they live in %WINDIR%\SystemResources\<name>.mun.
  char windows[MAX_PATH * 4] = {};
  const UINT n = GetWindowsDirectoryA(windows, sizeof windows);
  if (n == 0 || n >= sizeof windows) return {};
  const std::string name = libraryPath.substr(libraryPath.find_last_of("\\/") + 1);
  return ExtractExeIcon(std::string(windows, n) + "\\SystemResources\\" + name + ".mun");
}

Bytes ExtractExeIcon(const PipelineContext& context, const std::string& executablePath) {
  Bytes icon = ExtractExeIcon(executablePath);
  // A program without icons is no damage; a file that is no program is.
  const Bytes start = icon.empty() ? ReadFileStart(executablePath, 2) : Bytes();
  if (icon.empty() && start != Bytes{'M', 'Z'}) context.report(IconReason::Damaged);
  return icon;
}
