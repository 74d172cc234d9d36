#pragma once
// The guard every archive entry name passes before a pipeline puts it on a
// command line or names a local file after it. The names come from inside
// packages, which may be hostile.
#include <string>
#include <string_view>

#include "support/TextScan.h"

// True when the text may stand between double quotes on a tool's command
// line: no double quote, no line break or other control character, no
// wildcard (the tools would match several entries), and no leading '-' or
// '@' (the tools would read an option or a list file). The tools are started
// without a command interpreter, so '%', '&' and the like are plain text.
bool IsSafeCommandText(std::string_view text);

// The file name under which a tool that drops folders ("uz -j", "za e")
// writes the entry: the part after the last separator, or the whole entry at
// the archive root. Empty when the entry fails IsSafeCommandText or its file
// name is empty, ".", "..", holds "\", "/" or ":" (so the file always lies
// directly in the folder it is extracted to), holds a character Windows
// refuses in file names ('<', '>', '|': the tools would write another name),
// ends in a dot or blank (Windows drops them), or is a reserved device name
// such as CON or COM1 with any extension (opening it opens the device).
std::string ExtractedFileName(std::string_view entry, std::string_view separator, LeadBytePredicate isLead);
