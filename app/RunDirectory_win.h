#pragma once
#include <string>

// The folder of the program's executable, without a trailing separator, in
// the system code page. The program makes it its current directory at start.
std::string RunDirectory();

// Makes libraries loaded from now on come from the system folder only, never
// from the program's own folder (a Downloads folder may hold planted DLLs) or
// the current folder. Called first thing at start.
void RestrictLibrarySearchToSystem();

// Readies the run directory: writes the helper tools and removes what runs of
// ended processes left behind.
void PrepareRunDirectory(const std::string& runDirectory);
