#include "tools/Extraction_win.h"

#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/EntryGuard.h"

std::string ExtractedName(const std::string& entry, const std::string& separator) {
  return ExtractedFileName(entry, separator, SystemLeadByte);
}

Bytes RunExtraction(const PipelineContext& context, const char* tool, const std::string& arguments,
                    const WorkFolder& work, const std::string& fileName) {
  if (work.path().empty() || fileName.empty()) return {};
  // The tool runs in the run directory, not in the work folder: a folder that
  // is some process's current folder cannot be removed until that process is
  // wholly gone, which Wine reports later than the process's end.
  RunConsoleCommand(context.toolPath(tool), arguments, context.runDirectory);
  return ReadWholeFile(work.file(fileName));
}
