#include "pictures/ImageFileIcon_win.h"

#include "pictures/ImageFile.h"
#include "support/FileIo_win.h"
#include "tools/WebpConvert_win.h"

Bytes ExtractIconFileIcon(const PipelineContext&, const std::string& path) { return IconFileAsGroup(ReadWholeFile(path)); }

Bytes ExtractPictureIcon(const PipelineContext&, const std::string& path) { return StandardPicture(ReadWholeFile(path)); }

Bytes ExtractWebpIcon(const PipelineContext& context, const std::string& webpPath) {
  return ConvertWebpToPng(context, webpPath);
}
