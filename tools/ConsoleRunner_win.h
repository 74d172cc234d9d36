#pragma once
// Runs the helper tools as hidden console processes and captures what they
// print. Everything here runs on the GUI thread and keeps the window answering
// while it waits.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// Starts the program (a full path) directly, with the command line made of
// the quoted program path, a blank and the arguments (paths in them already
// quoted), in folder (or the current folder when empty), with no console
// window and standard output and standard error on one pipe; returns all the
// bytes the tool wrote, in arrival order, once it has ended. The empty text
// when nothing was captured or the program could not be started. Every tool
// runs in the program's job, so none outlives the program. Once the program
// is quitting (WM_QUIT met while waiting), the tool is ended and the runner
// returns; after that no tool starts at all.
std::string RunConsoleCommand(const std::string& program, const std::string& arguments,
                              const std::string& folder = {});

// Ends the run of the named tool ("pt.exe") that this program started and is
// still waiting on, if any: a nested run's first step, so the outer run
// gives up. Other programs' processes of that name are never touched.
void EndToolRun(const std::string& name);

// The job every tool runs in; it ends its processes when the program ends.
HANDLE ToolJob();
