#include "support/FileIo_win.h"

#include <windows.h>

#include <atomic>
#include <algorithm>

#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"

namespace {

constexpr DWORD kIoChunk = 1u << 20;

UniqueHandle OpenForReading(const std::string& path) {
  return OpenFileAt(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

bool ReadExactly(HANDLE file, std::uint8_t* out, std::size_t size) {
  while (size > 0) {
    const DWORD want = size < kIoChunk ? static_cast<DWORD>(size) : kIoChunk;
    DWORD got = 0;
    if (!ReadFile(file, out, want, &got, nullptr) || got == 0) return false;
    out += got;
    size -= got;
  }
  return true;
}

bool WriteExactly(HANDLE file, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const DWORD want = size < kIoChunk ? static_cast<DWORD>(size) : kIoChunk;
    DWORD put = 0;
    if (!WriteFile(file, data, want, &put, nullptr) || put == 0) return false;
    data += put;
    size -= put;
  }
  return true;
}

// The size of an open file, or -1 when it cannot be told.
long long SizeOf(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return -1;
  return size.QuadPart;
}

// Moves the written temporary file over the target. A read-only target is a
// user's protection and stays as it is, unless the caller owns the file. A
// hidden or system target refuses to be replaced on some systems: its
// attributes are cleared for one more try; a user's file gets them back, so
// it stays hidden as it was.
bool ReplaceTarget(const std::wstring& temp, const std::string& path, TargetProtection protection) {
  constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  const std::wstring target = ExtendedLengthPath(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY) && protection == TargetProtection::Keep) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  bool moved = MoveFileExW(temp.c_str(), target.c_str(), kFlags) != 0;
  if (!moved && exists) {
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    moved = MoveFileExW(temp.c_str(), target.c_str(), kFlags) != 0;
    if (!moved) {
      const DWORD error = GetLastError();
      SetFileAttributesW(target.c_str(), attributes);
      SetLastError(error);
    }
  }
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (moved && exists && protection == TargetProtection::Keep && (attributes & kKept)) {
    SetFileAttributesW(target.c_str(), attributes);
  }
  return moved;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  // Steps over double-byte characters: on code page 936 the second byte of a
  // character such as 0x95 0x5C is a backslash that separates nothing.
  std::size_t cut = std::string::npos;
  for (std::string_view separator : {"\\", "/"}) {
    const std::size_t at = FindLastText(path, separator, SystemLeadByte);
    if (at != std::string::npos && (cut == std::string::npos || at > cut)) cut = at;
  }
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

Bytes ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  UniqueHandle file = OpenForReading(path);
  if (!file) return {};
  const long long size = SizeOf(file.get());
  if (size <= 0 || static_cast<unsigned long long>(size) > maxBytes) return {};
  Bytes bytes(static_cast<std::size_t>(size));
  if (!ReadExactly(file.get(), bytes.data(), bytes.size())) return {};
  return bytes;
}

Bytes ReadFileStart(const std::string& path, std::size_t count) {
  UniqueHandle file = OpenForReading(path);
  const long long size = file ? SizeOf(file.get()) : -1;
  if (size <= 0) return {};
  Bytes bytes(static_cast<unsigned long long>(size) < count ? static_cast<std::size_t>(size) : count);
  if (!ReadExactly(file.get(), bytes.data(), bytes.size())) return {};
  return bytes;
}

bool FileHoldsBytes(const std::string& path, ByteSpan bytes) {
  UniqueHandle file = OpenForReading(path);
  if (!file || SizeOf(file.get()) != static_cast<long long>(bytes.size())) return false;
  Bytes chunk(bytes.size() < kIoChunk ? bytes.size() : kIoChunk);
  for (std::size_t done = 0; done < bytes.size();) {
    const std::size_t n = bytes.size() - done < chunk.size() ? bytes.size() - done : chunk.size();
    if (!ReadExactly(file.get(), chunk.data(), n)) return false;
    if (!std::equal(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n), bytes.begin() + static_cast<std::ptrdiff_t>(done))) return false;
    done += n;
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, ByteSpan bytes, TargetProtection protection) {
  std::string folder = FolderOf(path);
  if (folder.empty()) folder = ".";
  // A unique name of the form GetTempFileName gives, made here: that call
  // stops at MAX_PATH.
  const std::wstring base = ExtendedLengthPath(folder);
  if (base.empty()) return false;
  std::wstring temp;
  UniqueHandle file;
  static std::atomic<unsigned> counter = 0;
  for (int attempt = 0; attempt < 64 && !file; ++attempt) {
    wchar_t name[32];
    swprintf(name, 32, L"\\tss%04X.tmp", (GetCurrentProcessId() * 31u + GetTickCount() + ++counter) & 0xFFFFu);
    temp = base + name;
    file = UniqueHandle(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (!file) return false;
  bool written = WriteExactly(file.get(), bytes.data(), bytes.size()) && FlushFileBuffers(file.get());
  file = UniqueHandle();
  if (written) written = ReplaceTarget(temp, path, protection);
  if (!written) {
    const DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    SetLastError(error);
  }
  return written;
}

FileView::FileView(const std::string& path) {
  UniqueHandle file = OpenFileAt(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL);
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return;
  UniqueHandle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return;
  view_ = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (view_) size_ = static_cast<std::size_t>(size.QuadPart);
}

FileView::~FileView() {
  if (view_) UnmapViewOfFile(view_);
}

namespace {

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  // No access asked: enough to read the identity, and no sharing conflict
  // with a program that holds the file open.
  UniqueHandle file = OpenFileAt(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS);
  return file && GetFileInformationByHandle(file.get(), &info);
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  if (a.empty() || b.empty() || !FileIdentity(a, first) || !FileIdentity(b, second)) return false;
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

bool CanReadFile(const std::string& path) {
  return OpenFileAt(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL).valid();
}

UniqueHandle OpenFileAt(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                        SECURITY_ATTRIBUTES* security) {
  const std::wstring wide = ExtendedLengthPath(path);
  if (wide.empty()) return {};
  return UniqueHandle(CreateFileW(wide.c_str(), access, share, security, disposition, flags, nullptr));
}

DWORD FileAttributesAt(const std::string& path) {
  const std::wstring wide = ExtendedLengthPath(path);
  return wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
}

bool SetFileAttributesAt(const std::string& path, DWORD attributes) {
  const std::wstring wide = ExtendedLengthPath(path);
  return !wide.empty() && SetFileAttributesW(wide.c_str(), attributes);
}

bool DeleteFileAt(const std::string& path) {
  const std::wstring wide = ExtendedLengthPath(path);
  return !wide.empty() && DeleteFileW(wide.c_str());
}

std::string FullPathOf(const std::string& path) {
  const std::wstring wide = WideFromAnsi(path);
  const DWORD n = wide.empty() ? 0 : GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return {};
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return {};
  full.resize(got);
  return CodePageFromWide(full, CP_ACP);
}
