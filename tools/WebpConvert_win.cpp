#include "tools/WebpConvert_win.h"

#include <windows.h>

#include "image/ImageFormat.h"
#include "support/FileIo_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"

std::string WorkFilePath(const PipelineContext& context) { return context.inRunDirectory("icon.png"); }

bool WebpFitsSizeCap(const std::string& path) {
  constexpr std::size_t kHeaderBytes = 30;  // enough for every form of the canvas size
  const ImageSize size = ProbeWebpSize(ReadFileStart(path, kHeaderBytes));
  return ImageSizeAllowed(size.width, size.height);
}

void ConvertWebpToPng(const PipelineContext& context, const std::string& inputPath, std::string outputPath) {
  EndToolRun(kWebpDecoder);
  if (outputPath.empty()) outputPath = WorkFilePath(context);
  SetFileAttributesA(outputPath.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(outputPath.c_str());
  // The decoder allocates the whole canvas a file declares, however few
  // bytes it has: a huge or unreadable canvas is never handed to it.
  if (!WebpFitsSizeCap(inputPath)) return;
  RunConsoleCommand(context.toolPath(kWebpDecoder), "\"" + inputPath + "\" -o \"" + outputPath + "\"");
}
