#include "support/UserSettings_win.h"

#include <windows.h>
#include <shlobj.h>

#include "support/TextCodec_win.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\Tessaroo";
// A remembered path is a path: longer values are not taken.
constexpr DWORD kMaxValueBytes = 32768 * sizeof(wchar_t);

}  // namespace

std::string ReadUserSetting(const char* name) {
  std::wstring value(kMaxValueBytes / sizeof(wchar_t), L'\0');
  DWORD bytes = kMaxValueBytes;
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, WideFromAnsi(name).c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return CodePageFromWide(value, CP_ACP);
}

bool WriteUserSetting(const char* name, const std::string& value) {
  const std::wstring wide = WideFromAnsi(value);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG result = RegSetValueExW(key, WideFromAnsi(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                                     static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

std::string DownloadsFolder() {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &path))) folder = CodePageFromWide(path, CP_ACP);
  CoTaskMemFree(path);
  return folder;
}
