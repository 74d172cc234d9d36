#pragma once
// Taking one archive entry from a helper tool that prints it to its standard
// output: the tool never writes a file; the program keeps the bytes, or
// writes them itself under a name of its own. The 7-Zip routes go through
// tools/ArchiveEntry_win.h; the Android package's entries are taken with
// UnZip this way.
#include <cstdint>
#include <optional>
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// The entry's file name as a tool that drops folders would give it, or empty
// when the entry's name fails the guard (nothing may then be run for it).
std::string ExtractedName(const std::string& entry, const std::string& separator);

// The entry exactly as the tool (a helper tool's file name) prints it:
// listedSize bytes, else nothing (fewer; more, as when a name is stored
// twice and both are printed; a tool that failed). The tool is ended as soon
// as it passes listedSize.
Bytes RunEntryOutput(const PipelineContext& context, const char* tool, const std::string& arguments,
                     std::uint64_t listedSize);

// The same, streamed in chunks into the new file path (which must not exist
// yet), every chunk charged to the import's budget. True when exactly
// listedSize bytes were written; otherwise the file is removed.
bool RunEntryToFile(const PipelineContext& context, const char* tool, const std::string& arguments,
                    std::uint64_t listedSize, const std::string& path);

// Whatever the tool prints, up to maxBytes, streamed into the new file path
// the same way, for output whose size no listing gives (an archive
// unpacked from its compression). The bytes written; nothing, and no file,
// when the tool failed, printed nothing or more than maxBytes, or the
// budget ran out.
std::optional<std::uint64_t> RunOutputToFile(const PipelineContext& context, const char* tool,
                                             const std::string& arguments, std::uint64_t maxBytes,
                                             const std::string& path);
