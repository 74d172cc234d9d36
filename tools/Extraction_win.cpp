#include "tools/Extraction_win.h"

#include <windows.h>

#include "support/FileIo_win.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/EntryGuard.h"

std::string ExtractedName(const std::string& entry, const std::string& separator) {
  return ExtractedFileName(entry, separator, SystemLeadByte);
}

// The tools run in the run directory, never in a work folder: a folder that
// is some process's current folder cannot be removed until that process is
// wholly gone, which Wine reports later than the process's end.
Bytes RunEntryOutput(const PipelineContext& context, const char* tool, const std::string& arguments,
                     std::uint64_t listedSize) {
  const std::optional<Bytes> bytes = listedSize > kMaxReadBytes ? std::nullopt
      : ToolOutputBytes(context.toolPath(tool), arguments, context.runDirectory, listedSize);
  if (bytes && bytes->size() == listedSize) return *bytes;
  // Beyond the cap, or not what the archive's directory says it is.
  context.report(IconReason::Damaged);
  return {};
}

std::optional<std::uint64_t> RunOutputToFile(const PipelineContext& context, const char* tool,
                                             const std::string& arguments, std::uint64_t maxBytes,
                                             const std::string& path) {
  std::optional<std::uint64_t> written;
  {
    UniqueHandle file = OpenFileAt(path, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    if (!file.valid()) return std::nullopt;
    bool failed = false;
    const StreamedRun run = StreamToolOutput(context.toolPath(tool), arguments, context.runDirectory, maxBytes,
                                             [&](std::span<const char> chunk) {
                                               DWORD put = 0;
                                               failed = !SpendWrittenBytes(chunk.size()) ||
                                                        !WriteFile(file.get(), chunk.data(), DWORD(chunk.size()), &put, nullptr) ||
                                                        put != chunk.size();
                                               return !failed;
                                             });
    if (run.complete && !failed && run.bytes > 0) written = run.bytes;
  }
  if (!written) DeleteFileAt(path);
  return written;
}

bool RunEntryToFile(const PipelineContext& context, const char* tool, const std::string& arguments,
                    std::uint64_t listedSize, const std::string& path) {
  const std::optional<std::uint64_t> written = RunOutputToFile(context, tool, arguments, listedSize, path);
  if (written && *written == listedSize) return true;
  if (written) DeleteFileAt(path);
  context.report(IconReason::Damaged);
  return false;
}
