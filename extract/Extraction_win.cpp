#include "extract/Extraction_win.h"

#include <windows.h>

#include "extract/ConsoleRunner_win.h"
#include "extract/EntryGuard.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"

std::string ExtractionTarget(const PipelineContext& context, const std::string& entry, const std::string& separator) {
  const std::string name = ExtractedFileName(entry, separator, SystemLeadByte);
  return name.empty() ? std::string() : context.inRunDirectory(name);
}

Bytes RunExtraction(const std::string& command, const std::string& target) {
  // An old file of the same name would make the tool stop at its overwrite
  // question, or show an earlier picture when the tool writes nothing.
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(target.c_str());
  RunConsoleCommand(command);
  return ReadWholeFile(target);
}
