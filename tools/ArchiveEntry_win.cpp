#include "tools/ArchiveEntry_win.h"

#include <windows.h>


#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// "l" or "e" with the archive's type switch right after it.
std::string Command(const char* command, const ArchiveSource& archive) {
  return std::string(command) + " " + archive.typeSwitch + " ";
}

// The entry's path in the command line's text and the file name the tool
// writes it under; both empty when the entry is refused.
struct ToolNames {
  std::string entry, file;
};
ToolNames NamesFor(const PipelineContext& context, const ArchiveSource& archive, const ArchiveEntry& entry,
                   std::uint64_t maxBytes) {
  const std::string stored = archive.text == EntryText::Utf8 ? ToolTextToNarrow(entry.path) : entry.path;
  // The name comes from inside the archive: it must be safe on the command
  // line and as a local file name, or nothing is run for it. An entry larger
  // than the caller takes is never written out.
  const std::string file = ExtractedName(stored, "\\");
  if (file.empty()) context.report(IconReason::Refused, Because("an unsafe entry name"));
  if (entry.size > maxBytes) context.report(IconReason::Damaged);
  if (file.empty() || entry.size > maxBytes) return {};
  return {stored, file};
}

// The command that prints the entry: "e -so" with its type switch. A package
// may also use the entry's name as a folder, whose children would be
// printed after it: they are excluded.
std::string PrintCommand(const ArchiveSource& archive, const ToolNames& names) {
  return Command("e", archive) + "-so -sccUTF-8 " + Quoted(archive.path) + " " + Quoted(names.entry) + " " +
         Quoted("-x!" + names.entry + "\\*");
}

}  // namespace

std::vector<ArchiveEntry> ListArchive(const PipelineContext& context, const ArchiveSource& archive,
                                      ArchiveEntryFilter keep, std::size_t maxEntries) {
  // The technical listing gives each entry's path and sizes on lines of their
  // own; UTF-8 names, whatever the console's code page.
  const WorkFolder work(context.runDirectory);
  if (work.path().empty()) return {};
  const std::string listing =
      RunConsoleCommandThroughFile(context.toolPath(kArchiveTool), Command("l", archive) + "-slt -sccUTF-8 " + Quoted(archive.path),
                                   context.runDirectory, work.file("listing.txt"));
  std::vector<ArchiveEntry> entries = archive.text == EntryText::Utf8
                                          ? ParseArchiveListing(listing, keep, maxEntries)
                                          : ParseArchiveListing(ToolTextToNarrow(listing), keep, maxEntries);
  // No archive the routes take is empty: the tool could not read it as one.
  if (entries.empty() && listing.find("Path = ") == std::string::npos) context.report(IconReason::Damaged);
  return entries;
}

Bytes ReadArchiveEntry(const PipelineContext& context, const ArchiveSource& archive, const ArchiveEntry& entry,
                       std::uint64_t maxBytes) {
  const ToolNames names = NamesFor(context, archive, entry, maxBytes);
  if (names.file.empty()) return {};
  return RunEntryOutput(context, kArchiveTool, PrintCommand(archive, names), entry.size);
}

std::string PlaceArchiveEntry(const PipelineContext& context, const ArchiveSource& archive, const ArchiveEntry& entry,
                              std::uint64_t maxBytes, const WorkFolder& work, const std::string& fileName) {
  const ToolNames names = NamesFor(context, archive, entry, maxBytes);
  if (names.file.empty() || work.path().empty() || fileName.empty()) return {};
  const std::string placed = work.file(fileName);
  return RunEntryToFile(context, kArchiveTool, PrintCommand(archive, names), entry.size, placed) ? placed : std::string();
}

std::string PlaceInnerArchive(const PipelineContext& context, const ArchiveSource& archive, std::uint64_t maxBytes,
                              const WorkFolder& work, const std::string& fileName) {
  if (work.path().empty() || fileName.empty()) return {};
  const std::string placed = work.file(fileName);
  const std::string command = Command("e", archive) + "-so -sccUTF-8 " + Quoted(archive.path);
  if (RunOutputToFile(context, kArchiveTool, command, maxBytes, placed)) return placed;
  context.report(IconReason::Damaged);
  return {};
}
