#pragma once
// Whole-file reads and all-or-nothing writes. Paths are narrow texts in the
// system code page, the form in which the rest of the program carries them.
#include <cstddef>
#include <string>

#include "support/Bytes.h"
#include "support/ScopedWin_win.h"

// Files the program reads whole (icons, packages' extracted entries) are
// small; anything larger than this is refused rather than loaded.
inline constexpr std::size_t kMaxReadBytes = 64u << 20;

// The whole file, or empty bytes when it is missing, unreadable or larger
// than maxBytes.
Bytes ReadWholeFile(const std::string& path, std::size_t maxBytes = kMaxReadBytes);

// True when the file exists and may be opened for reading now (not a
// folder, not locked against readers, not denied).
bool CanReadFile(const std::string& path);

// At most the first count bytes of the file; empty when it is missing or
// unreadable.
Bytes ReadFileStart(const std::string& path, std::size_t count);

// A read-only view of a whole file, mapped into memory: the system pages in
// only what a reader touches (a program's headers, its resource directory
// and the one image chosen). Empty bytes when the file is missing, empty or
// cannot be mapped.
class FileView {
 public:
  explicit FileView(const std::string& path);
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;
  ~FileView();
  ByteSpan bytes() const { return {static_cast<const std::uint8_t*>(view_), size_}; }

 private:
  void* view_ = nullptr;
  std::size_t size_ = 0;
};

// True when both paths name one existing file (the same volume and file
// index: another spelling, a short name or a hard link of it count too).
bool IsSameFile(const std::string& a, const std::string& b);

// True when the file exists and holds exactly these bytes.
bool FileHoldsBytes(const std::string& path, ByteSpan bytes);

// Whether an existing target's read-only attribute may be overridden: never
// for the user's files (a read-only file means the write has no effect); for
// files the program owns (its helper tools), yes.
enum class TargetProtection { Keep, Override };

// Writes the bytes completely or not at all: they go to a unique temporary
// file in the target's folder, which then replaces the target, keeping its
// hidden and system attributes. On failure the target is left as it was (its
// attributes too), no temporary file stays behind, and GetLastError() tells
// why.
bool WriteFileAtomically(const std::string& path, ByteSpan bytes,
                         TargetProtection protection = TargetProtection::Keep);

// The folder part of a path (everything before its last separator), or the
// empty text when there is none.
std::string FolderOf(const std::string& path);

// The file calls of the program, on paths of the process code page. Each
// goes through the wide call with the path made full and "\\?\"-prefixed,
// so a path beyond MAX_PATH (up to the system's 32,767 characters) works as
// any other, whatever the system's long-path setting.
UniqueHandle OpenFileAt(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                        SECURITY_ATTRIBUTES* security = nullptr);
DWORD FileAttributesAt(const std::string& path);  // INVALID_FILE_ATTRIBUTES when missing
// The path made full against the current folder (wide calls, no MAX_PATH
// limit); empty when it cannot be.
std::string FullPathOf(const std::string& path);
bool SetFileAttributesAt(const std::string& path, DWORD attributes);
bool DeleteFileAt(const std::string& path);
inline bool PathExists(const std::string& path) { return FileAttributesAt(path) != INVALID_FILE_ATTRIBUTES; }
