#include "extract/ShortcutIcon_win.h"

#include "extract/ExeIcon_win.h"
#include "extract/Shortcut.h"
#include "support/FileIo_win.h"

Bytes ExtractShortcutIcon(const PipelineContext& context, const std::string& shortcutPath) {
  return ExtractExeIcon(context, ReadShortcutTarget(ReadWholeFile(shortcutPath)));
}
