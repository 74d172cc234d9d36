#pragma once
// tessaroo-cli's batch mode: many inputs, each run by a child tessaroo-cli,
// several at once, into one output folder.
#include <string>
#include <vector>

struct BatchOptions {
  std::string outDir;      // where the PNGs go; made when missing
  std::string reportPath;  // the JSON report; empty for none
  int jobs = 0;            // children at once; 0: the number of processors
  int drawSide = 0;        // --size, handed on to every child
  std::vector<std::string> inputs;  // files and folders
};

// Runs the batch: folders are searched first (below, known kinds only), the
// output names decided, then the children run. Exit code: 0 every input
// gave an icon, 1 some did not (or none was found), 2 the report would
// replace an input or an output, 3 the output folder or the report could not
// be written.
int RunBatch(const BatchOptions& options);
