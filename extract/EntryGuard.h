#pragma once
// The guard every archive entry name passes before a pipeline puts it on a
// command line or names a local file after it. The names come from inside
// packages, which may be hostile.
#include <string>
#include <string_view>

#include "support/TextScan.h"

// True when the text may stand between double quotes on a "cmd.exe /c" line:
// no double quote, no percent sign (cmd expands %NAME% even inside quotes),
// no line break or other control character, no wildcard (the tools would
// match several entries), and no leading '-' or '@' (the tools would read an
// option or a list file).
bool IsSafeCommandText(std::string_view text);

// The file name under which a tool that drops folders ("uz -j", "za e")
// writes the entry: the part after the last separator, or the whole entry at
// the archive root. Empty when the entry fails IsSafeCommandText or its file
// name is empty, ".", "..", or holds "\", "/" or ":" — so the file always lies
// directly in the folder it is extracted to.
std::string ExtractedFileName(std::string_view entry, std::string_view separator, LeadBytePredicate isLead);
