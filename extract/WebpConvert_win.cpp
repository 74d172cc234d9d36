#include "extract/WebpConvert_win.h"

#include <windows.h>

#include "extract/ConsoleRunner_win.h"
#include "extract/HelperTools.h"
#include "support/FileIo_win.h"

std::string WorkFilePath(const PipelineContext& context) { return context.inRunDirectory("icon.png"); }

void ConvertWebpToPng(const PipelineContext& context, const std::string& inputPath, std::string outputPath) {
  KillProcessByName(kWebpDecoder);
  if (outputPath.empty()) outputPath = WorkFilePath(context);
  SetFileAttributesA(outputPath.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(outputPath.c_str());
  // The decoder is started by bare name, from the run directory, whatever
  // the caller left current.
  SetCurrentDirectoryA(context.runDirectory.c_str());
  RunConsoleCommand("dwebp.exe \"" + inputPath + "\" -o \"" + outputPath + "\"");
}

Bytes ExtractWebpIcon(const PipelineContext& context, const std::string& webpPath) {
  ConvertWebpToPng(context, webpPath);
  return ReadWholeFile(WorkFilePath(context));
}
