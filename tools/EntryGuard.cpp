#include "tools/EntryGuard.h"

bool IsSafeCommandText(std::string_view text) {
  if (text.empty() || text.front() == '-' || text.front() == '@') return false;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return false;
    switch (c) {
      case '"': case '*': case '?': case '[': case ']': return false;
    }
  }
  return true;
}

namespace {

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, whatever follows a dot, in any case.
bool IsReservedDeviceName(std::string_view name) {
  std::string stem = AsciiLowered(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::string ExtractedFileName(std::string_view entry, std::string_view separator, LeadBytePredicate isLead) {
  if (!IsSafeCommandText(entry)) return {};
  const std::size_t at = FindLastText(entry, separator, isLead);
  const std::string name(at == std::string_view::npos ? entry : entry.substr(at + separator.size()));
  if (name.empty() || name == "." || name == "..") return {};
  // Byte-wise on purpose: a 0x5C trail byte of a double-byte character would
  // also be read as a separator by some path functions.
  if (name.find_first_of("\\/:<>|") != std::string::npos) return {};
  if (name.back() == '.' || name.back() == ' ' || IsReservedDeviceName(name)) return {};
  return name;
}
