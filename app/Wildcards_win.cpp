#include "app/Wildcards_win.h"

#include <windows.h>

#include <algorithm>

#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& inputs) {
  std::vector<std::string> expanded;
  for (const std::string& input : inputs) {
    const std::string_view name = FileNameOf(input, SystemLeadByte);
    if (name.find_first_of("*?") == std::string_view::npos) {
      expanded.push_back(input);
      continue;
    }
    const std::string folder = input.substr(0, input.size() - name.size());  // separator kept
    std::vector<std::string> matches;
    for (WideFolderEntries entries(ExtendedLengthPath(input)); entries.valid(); entries.next()) {
      matches.push_back(folder + CodePageFromWide(entries.name(), CP_ACP));
    }
    if (matches.empty()) matches.push_back(input);
    std::sort(matches.begin(), matches.end());
    expanded.insert(expanded.end(), matches.begin(), matches.end());
  }
  return expanded;
}
