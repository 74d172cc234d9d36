// Stands in for code a hostile package plants next to the helper tools (as
// pt.com, cmd.exe, ...). Under any name and with any arguments it appends its
// own command line to %TEMP%\tessaroo-payload.marker and exits 0, so a test
// only has to check that the marker never appears.
#include <windows.h>

#include <string>

int main() {
  char temp[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n > MAX_PATH) return 0;
  const std::string marker = std::string(temp) + "tessaroo-payload.marker";
  // Appending, not overwriting: several planted copies may run in one test.
  HANDLE file = CreateFileA(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const std::string line = std::string(GetCommandLineA()) + "\r\n";
  DWORD done = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
  CloseHandle(file);
  return 0;
}
