#include "extract/ImageFileIcon_win.h"

#include "extract/ImageFile.h"
#include "support/FileIo_win.h"

Bytes ExtractIconFileIcon(const PipelineContext&, const std::string& path) { return IconFileToPng(ReadWholeFile(path)); }

Bytes ExtractPictureIcon(const PipelineContext&, const std::string& path) { return StandardPicture(ReadWholeFile(path)); }
