#include "pictures/ImageFileIcon_win.h"

#include "image/IconFile.h"
#include "pictures/ImageFile.h"
#include "support/FileIo_win.h"
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
