#pragma once
#include <string>

// The folder of the program's executable, without a trailing separator, in
// the system code page. The program makes it its current directory at start.
std::string RunDirectory();
