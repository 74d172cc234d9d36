#include "tools/WorkFolder_win.h"

#include <windows.h>

#include <string_view>

#include "support/ScopedWin_win.h"
#include "support/TextScan.h"

namespace {

// "~work-<process id>-<count>": the process id tells a later start whether
// the run that made it can still be going.
constexpr char kPrefix[] = "~work-";

bool ProcessIsRunning(DWORD id) {
  UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // another user's: not ours to judge
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

WorkFolder::WorkFolder(const std::string& runDirectory) {
  static unsigned count = 0;
  const std::string stem = runDirectory + "\\" + kPrefix + std::to_string(GetCurrentProcessId()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = stem + std::to_string(++count);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      SetFileAttributesA(candidate.c_str(), FILE_ATTRIBUTE_HIDDEN);
      path_ = candidate;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

WorkFolder::~WorkFolder() {
  if (path_.empty()) return;
  // A scanner may hold a new file open for a moment; a folder that still
  // stays is removed at the next start.
  for (int attempt = 0; attempt < 5; ++attempt) {
    RemoveFolderTree(path_);
    if (GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    Sleep(20);
  }
}

void RemoveFolderTree(const std::string& folder) {
  for (FolderEntries entries(folder + "\\*"); entries.valid(); entries.next()) {
    const std::string path = folder + "\\" + entries.name();
    const DWORD attributes = entries.attributes();
    // Only a read-only file has its attributes touched: a hard link shares
    // them with the user's own file, which must stay as it is.
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    }
    const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool isLink = attributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (isFolder && !isLink) {
      RemoveFolderTree(path);
    } else if (isFolder) {
      RemoveDirectoryA(path.c_str());
    } else {
      DeleteFileA(path.c_str());
    }
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(folder.c_str());
}

void RemoveStaleWorkFolders(const std::string& runDirectory) {
  for (FolderEntries entries(runDirectory + "\\" + kPrefix + "*"); entries.valid(); entries.next()) {
    if (!(entries.attributes() & FILE_ATTRIBUTE_DIRECTORY)) continue;
    // "~work-<process id>-<n>"
    const std::string_view id = std::string_view(entries.name()).substr(sizeof kPrefix - 1);
    const std::size_t dash = id.find('-');
    const std::optional<std::uint64_t> processId = ParseDecimal(id.substr(0, dash), UINT32_MAX);
    if (dash == std::string_view::npos || !processId) continue;
    if (*processId == GetCurrentProcessId() || ProcessIsRunning(static_cast<DWORD>(*processId))) continue;
    RemoveFolderTree(runDirectory + "\\" + entries.name());
  }
}
