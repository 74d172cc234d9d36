#include "support/TextScan.h"

bool NoLeadBytes(unsigned char) { return false; }

bool Gbk936LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

namespace {

// Calls visit(position) for every position at which a character starts.
template <typename Visit>
void ForEachCharacterStart(std::string_view text, LeadBytePredicate isLead, Visit visit) {
  for (std::size_t i = 0; i < text.size();) {
    if (!visit(i)) return;
    i += isLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
}

}  // namespace

std::size_t FindText(std::string_view text, std::string_view needle, LeadBytePredicate isLead) {
  if (needle.empty()) return std::string_view::npos;
  std::size_t found = std::string_view::npos;
  ForEachCharacterStart(text, isLead, [&](std::size_t i) {
    if (text.compare(i, needle.size(), needle) == 0) { found = i; return false; }
    return true;
  });
  return found;
}

std::size_t FindLastText(std::string_view text, std::string_view needle, LeadBytePredicate isLead) {
  if (needle.empty()) return std::string_view::npos;
  std::size_t found = std::string_view::npos;
  ForEachCharacterStart(text, isLead, [&](std::size_t i) {
    if (text.compare(i, needle.size(), needle) == 0) found = i;
    return true;
  });
  return found;
}

std::string TextAfterLast(std::string_view text, std::string_view separator, LeadBytePredicate isLead) {
  const std::size_t at = FindLastText(text, separator, isLead);
  if (at == std::string_view::npos) return {};
  return std::string(text.substr(at + separator.size()));
}

std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}
