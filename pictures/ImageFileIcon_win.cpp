#include "pictures/ImageFileIcon_win.h"

#include "draw/SvgDocument.h"
#include "image/IconFile.h"
#include "image/PngEncode.h"
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
  const Bytes bytes = ReadWholeFile(path, kMaxSvgBytes);
  const std::string_view text = AsText(bytes);
  const RgbaImage drawn = RenderSvgIcon(text, context.drawSide);
  if (!drawn.pixels.empty()) return WritePng(drawn);
  context.report(ReadXmlTree(text) ? IconReason::Unsupported : IconReason::Damaged);
  return {};
}
