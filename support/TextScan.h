#pragma once
// Searches in narrow text that may hold double-byte characters of the system
// code page: a match never starts on the second byte of such a character.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Whether a byte starts a double-byte character in the code page in use. The
// Windows build asks the system (IsDBCSLeadByte); tests pass the predicate of
// the code page they simulate.
using LeadBytePredicate = bool (*)(unsigned char);

// No double-byte characters at all (UTF-8, code page 1252, plain ASCII).
bool NoLeadBytes(unsigned char);
// Lead bytes of code page 936 (GBK): 0x81 to 0xFE.
bool Gbk936LeadByte(unsigned char byte);

// Byte position of the first occurrence of needle, or npos.
std::size_t FindText(std::string_view text, std::string_view needle, LeadBytePredicate isLead);
// Byte position of the last occurrence of needle, or npos.
std::size_t FindLastText(std::string_view text, std::string_view needle, LeadBytePredicate isLead);
// The last component of a path: what follows its last "\" or "/".
std::string_view FileNameOf(std::string_view path, LeadBytePredicate isLead);
// The extension of the path's file-name part, dot included ("" for none).
std::string_view FileNameExtension(std::string_view path, LeadBytePredicate isLead);
// True when the path's file name ends in a dot or a space. Windows drops
// those when it makes a path full, so such a name would open another file
// ("game.png." opens "game.png").
bool EndsInDotOrSpace(std::string_view path);

// The text without blanks (space, tab, carriage return, line feed) at
// either end.
std::string_view TrimmedBlanks(std::string_view text);

// The first line of text (without its line feed, or a carriage return
// before it), which is then taken off text.
std::string_view NextLine(std::string_view& text);

// A whole number written in ASCII digits alone (no sign, no blank), or
// nullopt. The one rule for overflow: a value above max is no number,
// however its digits are written (leading zeros count for nothing).
std::optional<std::uint64_t> ParseDecimal(std::string_view digits, std::uint64_t max = UINT64_MAX);

// The value of one hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);

// ASCII letters in lower case; every other byte (UTF-8 and double-byte
// characters included) stays as it is.
char AsciiLower(char c);
std::string AsciiLowered(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
