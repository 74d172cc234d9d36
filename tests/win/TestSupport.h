#pragma once
// Shared helpers of the Windows test programs.
#include <windows.h>

#include <string>

#include "support/Bytes.h"

// The folder of the running test program (build/win).
std::string TestProgramFolder();

// A value from the environment CTest sets (TESSAROO_TOOLS_DIR, ...).
std::string TestEnvironment(const char* name);

// A new empty folder under the temporary folder, removed with its files when
// the object goes away. The suffix ends its name (text of the process's code
// page).
class TempFolder {
 public:
  explicit TempFolder(const std::string& suffix = {});
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Where the planted stand-in for attacker code (payload.exe) notes each time
// it runs; a test deletes it first and expects it never to appear.
std::string PayloadMarker();

// A .lnk to target saved by the shell's own IShellLinkW; paths in the
// process code page.
bool CreateShellShortcut(const std::string& target, const std::string& lnk);

bool WriteTestFile(const std::string& path, ByteSpan bytes);
bool CopyTestFile(const std::string& from, const std::string& to);
FILETIME LastWriteTime(const std::string& path);

// A started program: ended, if it still runs, and its handle closed when the
// object goes away, so a failed assertion never leaves it running into later
// tests. Reads as the process handle.
class TestProcess {
 public:
  TestProcess() = default;
  explicit TestProcess(HANDLE process) : process_(process) {}
  TestProcess(TestProcess&& other) noexcept : process_(other.process_) { other.process_ = nullptr; }
  TestProcess& operator=(TestProcess&& other) noexcept;
  TestProcess(const TestProcess&) = delete;
  TestProcess& operator=(const TestProcess&) = delete;
  ~TestProcess() { end(); }
  operator HANDLE() const { return process_; }
  // Ends the process if it still runs and lets go of it.
  void end();

 private:
  HANDLE process_ = nullptr;
};

// Starts a program (command line as given) in the given folder, its standard
// output and error going to output when given (an inheritable handle); an
// empty TestProcess when it could not be started.
TestProcess StartProgram(const std::string& commandLine, const std::string& folder, HANDLE output = nullptr);

// True when the test runs under Wine rather than Windows.
bool RunningUnderWine();

// The attributes of a file as a test should compare them: Wine reports every
// regular file as FILE_ATTRIBUTE_ARCHIVE, having no such bit to store, so that
// one is set aside there.
DWORD ComparableAttributes(const std::string& path);

// A visible top-level window of the given class that belongs to process, or
// nullptr when none appears in time (or the process ends).
HWND WaitForWindowOf(HANDLE process, const wchar_t* className, DWORD milliseconds = 30000);

// Saves the pixels of a screen rectangle as a PNG file.
bool SaveScreenRectAsPng(const RECT& rect, const std::wstring& path);

// The id of the first process whose executable file name equals name, or 0.
std::uint32_t FindProcessIdByName(const std::string& name, bool caseSensitive);

// True when the process was ended.
bool TerminateProcessById(std::uint32_t processId);

// Under Wine, a symbolic link made on the Unix side (ln -s) at link, leading
// to target; Wine itself makes none (and reports success). False on Windows
// or when no link could be made.
bool CreateUnixSymbolicLink(const std::string& target, const std::string& link);

// A junction at link (a new folder) leading to the folder target; false where
// the file system or Wine has none.
bool CreateJunction(const std::string& target, const std::string& link);
