#include "windows/MsiIcon_win.h"

#include <windows.h>

#include "image/IconFile.h"
#include "support/FileIo_win.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/HelperTools.h"
#include "tools/ConsoleRunner_win.h"
#include "windows/IconGroup.h"
#include "windows/MsiDatabase.h"

Bytes ExtractMsiIcon(const PipelineContext& context, const std::string& installerPath) {
  // The compound-file reader alone: a crafted file never reaches another.
  const ArchiveSource database{installerPath, "-tCompound", EntryText::Narrow};
  const std::vector<ArchiveEntry> streams = ListArchive(context, database);
  if (streams.empty()) {
    context.report(IconReason::Damaged);
    return {};
  }
  const auto read = [&](std::string_view name) {
    for (const ArchiveEntry& stream : streams) {
      if (stream.path == name) return ReadArchiveEntry(context, database, stream, kMaxMsiTableBytes);
    }
    return Bytes();
  };
  std::optional<std::string> productIcon;
  if (const std::optional<MsiStrings> strings = MsiStrings::Read(read("!_StringPool"), read("!_StringData"))) {
    productIcon = MsiProperty(*strings, read("!Property"), "ARPPRODUCTICON");
  }
  const ArchiveEntry* icon = ChooseMsiIconStream(streams, productIcon);
  if (!icon) {
    context.report(IconReason::NoIcon);
    return {};
  }
  const Bytes stored = ReadArchiveEntry(context, database, *icon, kMaxReadBytes);
  const bool program = stored.size() >= 2 && stored[0] == 'M' && stored[1] == 'Z';
  Bytes group = program ? ExtractIconFromPe(stored, GetUserDefaultUILanguage()) : IconFileAsGroup(stored);
  if (group.empty()) context.report(IconReason::Damaged);
  return group;
}
