// Runs one tool through the program's own console runner, then exits:
//   runnerhost PROGRAM ARGUMENTS
// A test ends this host while the tool runs, to see the tool end with it.
#include <string>

#include "tools/ConsoleRunner_win.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  RunConsoleCommand(argv[1], argv[2]);
  return 0;
}
