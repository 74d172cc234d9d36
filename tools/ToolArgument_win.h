#pragma once
// The one place that decides how the path of a user's file reaches a helper
// tool. 7-Zip and the WebP decoder read their command lines wide, and UnZip
// is built with a UTF-8 manifest, so the process's own text reaches them
// whole. The packaging tool is a prebuilt program that reads its command
// line in the system's ANSI code page: a path that code page cannot spell
// reaches it through an alias, and the user's file is never changed. UnZip
// and the packaging tool open files with calls that stop at MAX_PATH; a
// longer path reaches them through the same alias (7-Zip opens long paths
// itself).
#include <string>

#include "tools/WorkFolder_win.h"

struct ToolArgument {
  std::string text;    // what stands between the quotes; empty: no way to hand it over
  std::string folder;  // the folder the tool must start in; empty: the run directory
};

// How the file at path reaches the packaging tool: the path itself where the
// system's ANSI code page spells it (always, when the process's text is that
// code page); else its 8.3 short name where the volume has one the code page
// spells; else a hard link in the work folder under a plain ASCII name (never
// to a read-only file, which a link would share its attribute with); else a
// copy there, paid from the import's byte budget (none when the file is
// larger than what is left of it). When the work folder's own path is not
// spellable either, the alias is named bare and the tool starts in the work
// folder. Aliases go with the work folder.
// A path longer than kToolPathLimit characters takes the alias too.
ToolArgument AnsiToolArgument(const WorkFolder& work, const std::string& path);

// How the file at path reaches UnZip: the path itself up to kToolPathLimit
// characters, else its short name, else the alias in the work folder.
// Handing its text to AnsiToolArgument gives the packaging tool the same.
ToolArgument ShortToolArgument(const WorkFolder& work, const std::string& path);

// Below MAX_PATH with room to spare: the tools append to what they are given.
inline constexpr std::size_t kToolPathLimit = 240;

// For tests: which way AnsiToolArgument takes, whatever the path (a link
// that cannot be made still falls back to a copy). Natural chooses as
// described above.
enum class AliasWay { Natural, ShortName, HardLink, Copy, BareInWorkFolder };
void ForceAliasWayForTesting(AliasWay way);
