#include "pictures/ImageFileIcon_win.h"

#include "draw/IconFileForms.h"
#include "image/IconFile.h"
#include "pictures/ImageFile.h"
#include "support/FileIo_win.h"
#include "support/XmlTree.h"
#include "tools/ConsoleRunner_win.h"
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
  // The route takes ".svg" and ".svgz" (compressed) files.
  const IconFileForm form = IconFileFormOf(path) == IconFileForm::Svgz ? IconFileForm::Svgz : IconFileForm::Svg;
  Bytes bytes;
  SvgRefused refused;
  Bytes drawn = IconFileAsPng(
      form, 0, [&](std::uint64_t maxBytes) { return bytes = ReadWholeFile(path, maxBytes); }, context.drawSide, &refused,
      ImportGoesOn);
  if (drawn.empty() && !ReportSvgRefusal(context, refused) && refused.why == SvgRefusal::Other) {
    const bool wellFormed = ReadXmlTree(AsText(SvgDocumentText(form, std::move(bytes)))).has_value();
    context.report(wellFormed ? IconReason::Unsupported : IconReason::Damaged);
  }
  return drawn;
}

Bytes ExtractXpmIcon(const PipelineContext& context, const std::string& path) {
  Bytes decoded = IconFileAsPng(
      IconFileForm::Xpm, 0, [&](std::uint64_t maxBytes) { return ReadWholeFile(path, maxBytes); }, context.drawSide);
  if (decoded.empty()) context.report(IconReason::Damaged);
  return decoded;
}
