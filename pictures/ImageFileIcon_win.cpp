#include "pictures/ImageFileIcon_win.h"

#include "draw/SvgOrBitmap.h"
#include "image/IconFile.h"
#include "pictures/ImageFile.h"
#include "support/FileIo_win.h"
#include "support/XmlTree.h"
#include "tools/WebpConvert_win.h"

Bytes ExtractIconFileIcon(const PipelineContext& context, const std::string& path) {
  Bytes group = IconFileAsGroup(ReadWholeFile(path));
  if (group.empty()) context.report(IconReason::Damaged);
  return group;
}

Bytes ExtractPictureIcon(const PipelineContext&, const std::string& path) { return StandardPicture(ReadWholeFile(path)); }

Bytes ExtractWebpIcon(const PipelineContext& context, const std::string& webpPath) {
  return ConvertWebpToPng(context, webpPath);
}

Bytes ExtractSvgIcon(const PipelineContext& context, const std::string& path) {
  // Whatever the name ends in: the route was chosen for a ".svg" in it.
  Bytes bytes;
  Bytes drawn = SvgDrawnOrPngKept(
      true, 0, [&](std::uint64_t maxBytes) { return bytes = ReadWholeFile(path, maxBytes); }, context.drawSide);
  if (drawn.empty()) context.report(ReadXmlTree(AsText(bytes)) ? IconReason::Unsupported : IconReason::Damaged);
  return drawn;
}
