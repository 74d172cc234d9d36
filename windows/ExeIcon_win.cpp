#include "windows/ExeIcon_win.h"

#include <windows.h>

#include "support/ScopedWin_win.h"
#include "windows/IconGroup.h"

namespace {

// A read-only view of a whole file. The system pages in only what the reader
// touches: the headers, the resource directory and the one chosen image.
class FileView {
 public:
  explicit FileView(const std::string& path) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return;
    UniqueHandle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return;
    view_ = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (view_) size_ = static_cast<std::size_t>(size.QuadPart);
  }
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;
  ~FileView() { if (view_) UnmapViewOfFile(view_); }
  ByteSpan bytes() const { return {static_cast<const std::uint8_t*>(view_), size_}; }

 private:
  void* view_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace

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

Bytes ExtractExeIcon(const PipelineContext&, const std::string& executablePath) {
  return ExtractExeIcon(executablePath);
}
