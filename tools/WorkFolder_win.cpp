#include "tools/WorkFolder_win.h"

#include <windows.h>

#include <atomic>
#include <algorithm>
#include <cwchar>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"

namespace {

// "~work-<process id>-<count>": the process id tells a later start whether
// the run that made it can still be going.
constexpr char kPrefix[] = "~work-";
constexpr wchar_t kWidePrefix[] = L"~work-";

bool ProcessIsRunning(DWORD id) {
  UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // another user's: not ours to judge
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
bool IsFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// The entry itself, never what a link or junction leads to. Without
// FILE_SHARE_DELETE nobody can rename, replace or delete it while the handle
// is held, so what was checked is what gets removed.
UniqueHandle OpenEntry(const std::wstring& path, DWORD access) {
  return UniqueHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

std::optional<BY_HANDLE_FILE_INFORMATION> EntryInformation(const UniqueHandle& entry) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!entry || !GetFileInformationByHandle(entry.get(), &info)) return std::nullopt;
  return info;
}

// "~work-folder-<volume serial>-<file index>": the marker a folder with this
// file ID holds. The ID is in the name, not only in the text, so an entry a
// tool extracts under the marker's name cannot disown the folder.
std::wstring MarkerName(const BY_HANDLE_FILE_INFORMATION& folder) {
  wchar_t name[48] = {};
  std::swprintf(name, 48, L"~work-folder-%08lx-%08lx%08lx", folder.dwVolumeSerialNumber, folder.nFileIndexHigh,
                folder.nFileIndexLow);
  return name;
}

bool WriteMarker(const std::wstring& folder) {
  const auto info = EntryInformation(OpenEntry(folder, FILE_READ_ATTRIBUTES));
  if (!info) return false;
  UniqueHandle marker(CreateFileW((folder + L"\\" + MarkerName(*info)).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  static const char kText[] = "A work folder of Tessaroo, made for one run's extractions.\r\n";
  DWORD written = 0;
  return marker && WriteFile(marker.get(), kText, sizeof kText - 1, &written, nullptr) && written == sizeof kText - 1;
}

bool MarkForDeletion(const UniqueHandle& entry) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// A read-only file with other names shares its attributes with a file that
// is not ours, so they are never cleared: it goes only where the system can
// delete a name in spite of the attribute (Windows 10 1809 and later), and
// otherwise stays, with its folder.
bool MarkForDeletionIgnoringReadOnly(const UniqueHandle& entry) {
  // FILE_DISPOSITION_INFO_EX and its class, which mingw-w64 declares for
  // Windows 10 targets only.
  constexpr auto kDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
  constexpr DWORD kDelete = 0x1, kIgnoreReadOnlyAttribute = 0x10;
  DWORD flags = kDelete | kIgnoreReadOnlyAttribute;
  return SetFileInformationByHandle(entry.get(), kDispositionInfoEx, &flags, sizeof flags) != 0;
}

bool SetAttributes(const UniqueHandle& entry, DWORD attributes) {
  FILE_BASIC_INFO basic{};  // times of zero stay as they are
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(entry.get(), FileBasicInfo, &basic, sizeof basic) != 0;
}

// Removes one entry as listed: a link as a link, a folder only when it is
// empty, a read-only file only when it has no other name. False when it
// stays.
bool RemoveEntry(const std::wstring& path, DWORD listedAttributes) {
  if (IsLink(listedAttributes)) {
    return (IsFolder(listedAttributes) ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) != 0;
  }
  const UniqueHandle entry = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
  const auto info = EntryInformation(entry);
  if (!info || IsLink(info->dwFileAttributes)) return false;  // gone, or replaced since it was listed
  const DWORD attributes = info->dwFileAttributes;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    if (!IsFolder(attributes) && info->nNumberOfLinks > 1) return MarkForDeletionIgnoringReadOnly(entry);
    if (!SetAttributes(entry, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) return false;
  }
  return MarkForDeletion(entry);  // refused for a folder that is not empty
}

struct ListedEntry {
  std::wstring name;
  DWORD attributes;
};

// The entries of an open folder, read through its handle: the folder that
// was checked, whatever its path may come to mean meanwhile.
std::vector<ListedEntry> ListFolder(const UniqueHandle& folder) {
  std::vector<ListedEntry> listed;
  std::vector<LONGLONG> buffer(8192);  // 64 KiB, aligned as the records need
  const DWORD size = static_cast<DWORD>(buffer.size() * sizeof buffer[0]);
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
  while (GetFileInformationByHandleEx(folder.get(), kind, buffer.data(), size)) {
    kind = FileIdBothDirectoryInfo;
    const BYTE* at = reinterpret_cast<const BYTE*>(buffer.data());
    for (;;) {
      const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") listed.push_back({std::move(name), entry->FileAttributes});
      if (entry->NextEntryOffset == 0) break;
      at += entry->NextEntryOffset;
    }
  }
  return listed;
}

// Removes a work folder, when it carries the marker of its own file ID, with
// the files directly in it (a tool drops an entry's folders, so a subfolder
// is never entered: it goes only when empty). The marker goes last, so a
// folder that keeps a file stays recognisable to the next start. True when
// the folder is gone.
bool RemoveWorkFolder(const std::wstring& path) {
  const UniqueHandle folder = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY);
  const auto info = EntryInformation(folder);
  if (!info || IsLink(info->dwFileAttributes) || !IsFolder(info->dwFileAttributes)) return false;
  const std::wstring marker = MarkerName(*info);
  const std::vector<ListedEntry> listed = ListFolder(folder);
  const auto own = std::find_if(listed.begin(), listed.end(), [&](const ListedEntry& e) { return e.name == marker; });
  if (own == listed.end() || IsFolder(own->attributes) || IsLink(own->attributes)) return false;
  bool emptied = true;
  for (const ListedEntry& entry : listed) {
    if (&entry != &*own) emptied = RemoveEntry(path + L"\\" + entry.name, entry.attributes) && emptied;
  }
  return emptied && RemoveEntry(path + L"\\" + marker, own->attributes) && MarkForDeletion(folder);
}

void RemoveTree(const std::wstring& path, DWORD attributes) {
  if (IsFolder(attributes) && !IsLink(attributes)) {
    for (WideFolderEntries entries(path + L"\\*"); entries.valid(); entries.next()) {
      RemoveTree(path + L"\\" + entries.name(), entries.attributes());
    }
  }
  RemoveEntry(path, attributes);
}

}  // namespace

bool CreateWorkFolder(const std::string& path) {
  const std::wstring wide = ExtendedLengthPath(path);
  if (wide.empty() || !CreateDirectoryW(wide.c_str(), nullptr)) return false;
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN);
  if (WriteMarker(wide)) return true;
  RemoveTree(wide, GetFileAttributesW(wide.c_str()));
  SetLastError(ERROR_CANNOT_MAKE);
  return false;
}

WorkFolder::WorkFolder(const std::string& runDirectory) {
  static std::atomic<unsigned> count = 0;
  const std::string stem = runDirectory + "\\" + kPrefix + std::to_string(GetCurrentProcessId()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = stem + std::to_string(++count);
    if (CreateWorkFolder(candidate)) {
      path_ = candidate;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

WorkFolder::~WorkFolder() {
  if (path_.empty()) return;
  const std::wstring wide = ExtendedLengthPath(path_);
  // A scanner, or a program the icon was dropped on, may hold a file open
  // for a while after it is done, longer still on a busy machine: tried for
  // up to a second, growing the pause. A folder that still stays is removed
  // at the next start.
  for (DWORD pause = 10, waited = 0; !wide.empty(); waited += pause, pause = std::min<DWORD>(pause * 2, 200)) {
    RemoveWorkFolder(wide);
    if (GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES || waited >= 1000) return;
    Sleep(pause);
  }
}

void RemoveStaleWorkFolders(const std::string& runDirectory) {
  const std::wstring run = ExtendedLengthPath(runDirectory);
  if (run.empty()) return;
  for (WideFolderEntries entries(run + L"\\" + kWidePrefix + L"*"); entries.valid(); entries.next()) {
    // A link or junction under a work folder's name is never entered.
    if (!IsFolder(entries.attributes()) || IsLink(entries.attributes())) continue;
    // "~work-<process id>-<n>"
    const std::string name = Utf8FromWide(entries.name());
    const std::string_view id = std::string_view(name).substr(sizeof kPrefix - 1);
    const std::size_t dash = id.find('-');
    const std::optional<std::uint64_t> processId = ParseDecimal(id.substr(0, dash), UINT32_MAX);
    if (dash == std::string_view::npos || !processId) continue;
    if (*processId == GetCurrentProcessId() || ProcessIsRunning(static_cast<DWORD>(*processId))) continue;
    RemoveWorkFolder(run + L"\\" + entries.name());
  }
}
