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

std::optional<std::uint64_t> ParseDecimal(std::string_view digits, std::uint64_t max) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::nullopt;  // value * 10 + digit > max
    value = value * 10 + digit;
  }
  return value;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string_view FileNameOf(std::string_view path, LeadBytePredicate isLead) {
  std::size_t nameStart = 0;
  for (std::string_view separator : {"\\", "/"}) {
    const std::size_t at = FindLastText(path, separator, isLead);
    if (at != std::string_view::npos && at + 1 > nameStart) nameStart = at + 1;
  }
  return path.substr(nameStart);
}

std::string_view FileNameExtension(std::string_view path, LeadBytePredicate isLead) {
  const std::string_view name = FileNameOf(path, isLead);
  const std::size_t dot = FindLastText(name, ".", isLead);
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool EndsInDotOrSpace(std::string_view path) {
  if (path.empty()) return false;
  const char last = path.back();
  if (last == ' ') return true;
  // "." and ".." are folders, not names with a dot at the end.
  return last == '.' && path != "." && path != ".." && !path.ends_with("\\.") && !path.ends_with("/.") &&
         !path.ends_with("\\..") && !path.ends_with("/..");
}

std::string_view TrimmedBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}
