#include "extract/EntryGuard.h"

bool IsSafeCommandText(std::string_view text) {
  if (text.empty() || text.front() == '-' || text.front() == '@') return false;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return false;
    switch (c) {
      case '"': case '%': case '*': case '?': case '[': case ']': return false;
    }
  }
  return true;
}

std::string ExtractedFileName(std::string_view entry, std::string_view separator, LeadBytePredicate isLead) {
  if (!IsSafeCommandText(entry)) return {};
  const std::size_t at = FindLastText(entry, separator, isLead);
  const std::string name(at == std::string_view::npos ? entry : entry.substr(at + separator.size()));
  if (name.empty() || name == "." || name == "..") return {};
  // Byte-wise on purpose: a 0x5C trail byte of a double-byte character would
  // also be read as a separator by some path functions.
  if (name.find_first_of("\\/:") != std::string::npos) return {};
  return name;
}
