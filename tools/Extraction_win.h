#pragma once
// Extracting one archive entry with a helper tool that drops the entry's
// folders into the run's private work folder, and reading the one expected
// file back. The 7-Zip routes go through tools/ArchiveEntry_win.h; the
// Android package's entries are taken with UnZip this way.
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"
#include "tools/WorkFolder_win.h"

// The file name a tool that drops folders gives the entry, or empty when the
// entry's name fails the guard (nothing may then be run or read for it).
std::string ExtractedName(const std::string& entry, const std::string& separator);

// Runs the tool (a helper tool's file name) with the arguments, which name
// the work folder as its output folder, and returns the bytes of the file it
// should have written there: empty when the file is missing or larger than
// 64 MiB. The file stays in the work folder, which removes it with everything
// else at the end of the run.
Bytes RunExtraction(const PipelineContext& context, const char* tool, const std::string& arguments,
                    const WorkFolder& work, const std::string& fileName);
