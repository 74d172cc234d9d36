#pragma once
// Runs the helper tools as hidden console processes and captures what they
// print. Everything here runs on the GUI thread and keeps the window answering
// while it waits.
#include <cstdint>
#include <string>
#include <string_view>

// Runs the command line through the command interpreter ("cmd.exe /c ") with
// standard output and standard error on one pipe, and returns all the bytes
// the tool wrote, in arrival order, once it has ended. The empty text when
// nothing was captured or the tool could not be started.
std::string RunConsoleCommand(const std::string& command);

// Ends the first running process (in snapshot order) whose executable file
// name equals name, ignoring letter case.
void KillProcessByName(const std::string& name);

// The id of the first process whose executable file name equals name, or 0.
std::uint32_t FindProcessIdByName(const std::string& name, bool caseSensitive);

// True when the process was ended.
bool TerminateProcessById(std::uint32_t processId);
