#pragma once
// Runs the helper tools as hidden console processes and captures what they
// print. Everything here runs on the GUI thread and keeps the window answering
// while it waits.
#include <cstdint>
#include <string>
#include <string_view>

// Starts the program (a full path) directly, with the command line made of
// the quoted program path, a blank and the arguments (paths in them already
// quoted), in folder (or the current folder when empty), with standard output
// and standard error on one pipe; returns all the bytes the tool wrote, in
// arrival order, once it has ended. The empty text when nothing was captured
// or the program could not be started.
std::string RunConsoleCommand(const std::string& program, const std::string& arguments,
                              const std::string& folder = {});

// Ends the first running process (in snapshot order) whose executable file
// name equals name, ignoring letter case.
void KillProcessByName(const std::string& name);

// The id of the first process whose executable file name equals name, or 0.
std::uint32_t FindProcessIdByName(const std::string& name, bool caseSensitive);

// True when the process was ended.
bool TerminateProcessById(std::uint32_t processId);
