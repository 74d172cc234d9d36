// The least a program can do to get an Android package's bitmap icon: start
// the packaging tool for the badging, then UnZip for the entry, each read to
// its end through a pipe. tessaroo-cli is measured against it.
//   minimal_tool_runs TOOLS_DIR PACKAGE ENTRY
#include <windows.h>

#include <string>

namespace {

void Run(const std::string& line) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inheritable, 1 << 16)) return;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write;
  PROCESS_INFORMATION process{};
  std::string command = line;
  const BOOL started =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(write);
  if (started) {
    char buffer[1 << 16];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(read);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string tools = argv[1], package = argv[2], entry = argv[3];
  Run("\"" + tools + "\\pt.exe\" dump badging \"" + package + "\"");
  Run("\"" + tools + "\\uz.exe\" -p \"" + package + "\" \"" + entry + "\"");
  return 0;
}
