#include "tests/win/TestSupport.h"

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gdiplus.h>
#include <tlhelp32.h>
#include <winioctl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/FileIo_win.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "tools/WorkFolder_win.h"

std::string TestProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return FolderOf(path);
}

std::string TestEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

TempFolder::TempFolder(const std::string& suffix) {
  char base[MAX_PATH * 4] = {};
  GetTempPathA(sizeof base, base);
  static unsigned counter = 0;
  for (;;) {
    path_ = std::string(base) + "tessaroo-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter) + suffix;
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

namespace {

// Removes a test's folder and everything in it, at any path length; links
// are removed, never entered.
void RemoveTestTree(const std::wstring& path, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    for (WideFolderEntries entries(path + L"\\*"); entries.valid(); entries.next()) {
      RemoveTestTree(path + L"\\" + entries.name(), entries.attributes());
    }
    RemoveDirectoryW(path.c_str());
  } else {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());  // a link to a folder
  }
}

}  // namespace

TempFolder::~TempFolder() {
  const std::wstring wide = ExtendedLengthPath(path_);
  const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) RemoveTestTree(wide, attributes);
}

std::string PayloadMarker() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + "tessaroo-payload.marker";
}

bool WriteTestFile(const std::string& path, ByteSpan bytes) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD done = 0;
  return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
         done == bytes.size();
}

bool CopyTestFile(const std::string& from, const std::string& to) {
  return CopyFileW(ExtendedLengthPath(from).c_str(), ExtendedLengthPath(to).c_str(), FALSE) != 0;
}

FILETIME LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

DWORD ComparableAttributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !RunningUnderWine()) return attributes;
  return attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE);
}

TestProcess& TestProcess::operator=(TestProcess&& other) noexcept {
  if (this != &other) {
    end();
    process_ = other.process_;
    other.process_ = nullptr;
  }
  return *this;
}

void TestProcess::end() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
}

TestProcess StartProgram(const std::string& commandLine, const std::string& folder, HANDLE output) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (output) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
  }
  PROCESS_INFORMATION info{};
  // A start can fail now and then under Wine on a loaded machine, and
  // succeed when tried again; a missing program fails every time.
  for (int attempt = 0;; ++attempt) {
    std::string line = commandLine;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, output != nullptr, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
      break;
    }
    const DWORD error = GetLastError();
    if (attempt == 3 || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      std::fprintf(stderr, "could not start %s: error %lu\n", commandLine.c_str(), error);
      return TestProcess();
    }
    Sleep(100);
  }
  CloseHandle(info.hThread);
  return TestProcess(info.hProcess);
}

HWND WaitForWindowOf(HANDLE process, const wchar_t* className, DWORD milliseconds) {
  const DWORD pid = GetProcessId(process);
  for (DWORD waited = 0; waited < milliseconds; waited += 50) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == pid && IsWindowVisible(window)) return window;
    }
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

bool SaveScreenRectAsPng(const RECT& rect, const std::wstring& path) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  bool saved = false;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
    {
      Gdiplus::Bitmap image(bitmap, nullptr);
      // The PNG encoder's class id.
      const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
      saved = image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
  }
  DeleteObject(bitmap);
  return saved;
}

bool CreateShellShortcut(const std::string& target, const std::string& lnk) {
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  bool saved = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(WideFromAnsi(target).c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      saved = SUCCEEDED(file->Save(WideFromAnsi(lnk).c_str(), TRUE));
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return saved;
}

std::uint32_t FindProcessIdByName(const std::string& name, bool caseSensitive) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    const bool same =
        caseSensitive ? std::strcmp(name.c_str(), entry.szExeFile) == 0
                      : CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, name.c_str(), -1,
                                       entry.szExeFile, -1) == CSTR_EQUAL;
    if (same) return entry.th32ProcessID;
  }
  return 0;
}

bool TerminateProcessById(std::uint32_t processId) {
  UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
  return process && TerminateProcess(process.get(), 0);
}

bool CreateUnixSymbolicLink(const std::string& target, const std::string& link) {
  // Wine's own exports: the Unix name of a Windows path, and a Unix program
  // started and waited for.
  using UnixFileNameFn = char*(CDECL*)(const wchar_t*);
  using SpawnFn = LONG(WINAPI*)(char* const*, int);
  const auto unixFileName = reinterpret_cast<UnixFileNameFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  const auto spawn = reinterpret_cast<SpawnFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
  if (!unixFileName || !spawn) return false;
  char* unixTarget = unixFileName(WideFromAnsi(target).c_str());
  char* unixLink = unixFileName(WideFromAnsi(link).c_str());
  bool made = false;
  if (unixTarget && unixLink) {
    char program[] = "/bin/ln", option[] = "-s";
    char* const arguments[] = {program, option, unixTarget, unixLink, nullptr};
    made = spawn(arguments, TRUE) == 0;
  }
  HeapFree(GetProcessHeap(), 0, unixTarget);
  HeapFree(GetProcessHeap(), 0, unixLink);
  return made && GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateJunction(const std::string& target, const std::string& link) {
  // REPARSE_DATA_BUFFER's mount point form, which mingw-w64 keeps in the
  // driver headers: the NT path to substitute, then the name to show.
  const std::wstring print = WideFromAnsi(target);
  const std::wstring substitute = L"\\??\\" + print;
  const std::size_t names = (substitute.size() + 1 + print.size() + 1) * sizeof(wchar_t);
  std::vector<BYTE> buffer(16 + names);
  auto put16 = [&](std::size_t at, std::size_t value) {
    buffer[at] = static_cast<BYTE>(value);
    buffer[at + 1] = static_cast<BYTE>(value >> 8);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(buffer.data(), &tag, sizeof tag);
  put16(4, 8 + names);                                         // reparse data length
  put16(8, 0);                                                 // substitute name offset
  put16(10, substitute.size() * sizeof(wchar_t));              // and length
  put16(12, (substitute.size() + 1) * sizeof(wchar_t));        // print name offset
  put16(14, print.size() * sizeof(wchar_t));                   // and length
  std::memcpy(buffer.data() + 16, substitute.c_str(), substitute.size() * sizeof(wchar_t));
  std::memcpy(buffer.data() + 16 + (substitute.size() + 1) * sizeof(wchar_t), print.c_str(),
              print.size() * sizeof(wchar_t));

  if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
  bool made = false;
  {
    UniqueHandle folder(CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD returned = 0;
    made = folder && DeviceIoControl(folder.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                                     static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
  }
  if (!made) RemoveDirectoryA(link.c_str());
  return made;
}
