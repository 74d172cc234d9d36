#include "tools/ArchiveEntry_win.h"

#include <windows.h>

#include <algorithm>

#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// "l" or "e" with the archive's type switch, if it has one, right after it.
std::string Command(const char* command, const ArchiveSource& archive) {
  std::string out = command;
  out += ' ';
  if (!archive.typeSwitch.empty()) out += archive.typeSwitch + " ";
  return out;
}

// The entry's path in the command line's text and the file name the tool
// writes it under; both empty when the entry is refused.
struct ToolNames {
  std::string entry, file;
};
ToolNames NamesFor(const ArchiveSource& archive, const ArchiveEntry& entry, std::uint64_t maxBytes) {
  const std::string stored = archive.text == EntryText::Utf8 ? ToolTextToNarrow(entry.path) : entry.path;
  // The name comes from inside the archive: it must be safe on the command
  // line and as a local file name, or nothing is run for it. An entry larger
  // than the caller takes is never written out.
  const std::string file = ExtractedName(stored, "\\");
  if (file.empty() || entry.size > maxBytes) return {};
  return {stored, file};
}

// Has the tool extract the entry into work; the file it wrote, or empty.
std::string ExtractInto(const PipelineContext& context, const ArchiveSource& archive, const ToolNames& names,
                        const WorkFolder& work) {
  if (work.path().empty()) return {};
  // "e" drops the entry's folders. A package may also use the entry's name
  // as a folder, whose children "e" would write beside it: they are
  // excluded. -aos writes an entry stored twice once, with no question
  // asked of a tool that has no input. The tool runs in the run directory:
  // a folder that is a process's current folder cannot be removed until
  // Wine reports that process gone.
  RunConsoleCommand(context.toolPath(kArchiveTool),
                    Command("e", archive) + "-sccUTF-8 -aos " + Quoted("-o" + work.path()) + " " +
                        Quoted(archive.path) + " " + Quoted(names.entry) + " " + Quoted("-x!" + names.entry + "\\*"),
                    context.runDirectory);
  const std::string file = work.file(names.file);
  const DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return file;
}

}  // namespace

std::vector<ArchiveEntry> ListArchive(const PipelineContext& context, const ArchiveSource& archive,
                                      ArchiveEntryFilter keep, std::size_t maxEntries) {
  // The technical listing gives each entry's path and sizes on lines of their
  // own; UTF-8 names, whatever the console's code page.
  const std::string listing = RunConsoleCommand(context.toolPath(kArchiveTool),
                                                Command("l", archive) + "-slt -sccUTF-8 " + Quoted(archive.path));
  if (archive.text == EntryText::Utf8) return ParseArchiveListing(listing, keep, maxEntries);
  return ParseArchiveListing(ToolTextToNarrow(listing), keep, maxEntries);
}

Bytes ReadArchiveEntry(const PipelineContext& context, const ArchiveSource& archive, const ArchiveEntry& entry,
                       std::uint64_t maxBytes) {
  const ToolNames names = NamesFor(archive, entry, maxBytes);
  if (names.file.empty()) return {};
  const WorkFolder work(context.runDirectory);
  const std::string file = ExtractInto(context, archive, names, work);
  if (file.empty()) return {};
  return ReadWholeFile(file, static_cast<std::size_t>(std::min<std::uint64_t>(maxBytes, kMaxReadBytes)));
}

std::string PlaceArchiveEntry(const PipelineContext& context, const ArchiveSource& archive, const ArchiveEntry& entry,
                              std::uint64_t maxBytes, const WorkFolder& work, const std::string& fileName) {
  const ToolNames names = NamesFor(archive, entry, maxBytes);
  if (names.file.empty() || work.path().empty() || fileName.empty()) return {};
  const WorkFolder own(context.runDirectory);
  const std::string file = ExtractInto(context, archive, names, own);
  if (file.empty()) return {};
  const std::string placed = work.file(fileName);
  if (!MoveFileA(file.c_str(), placed.c_str())) return {};
  return placed;
}
