#include "tools/WebpConvert_win.h"

#include <windows.h>

#include "image/ImageFormat.h"
#include "support/FileIo_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"

bool WebpFitsSizeCap(const std::string& path) {
  constexpr std::size_t kHeaderBytes = 30;  // enough for every form of the canvas size
  const ImageSize size = ProbeWebpSize(ReadFileStart(path, kHeaderBytes));
  return ImageSizeAllowed(size.width, size.height);
}

Bytes ConvertWebpToPng(const PipelineContext& context, const std::string& inputPath) {
  // The decoder allocates the whole canvas a file declares, however few
  // bytes it has: a huge or unreadable canvas is never handed to it.
  const std::optional<Bytes> png = !WebpFitsSizeCap(inputPath) ? std::nullopt
      : ToolOutputBytes(context.toolPath(kWebpDecoder), "\"" + inputPath + "\" -o -", {}, kMaxReadBytes);
  if (png && HasPngSignature(*png)) return *png;
  // Too large a canvas, or nothing the decoder could read (an animation).
  context.report(IconReason::Damaged);
  return {};
}
