#pragma once
// Searches in narrow text that may hold double-byte characters of the system
// code page: a match never starts on the second byte of such a character.
#include <cstddef>
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
// The first line of text (without its line feed, or a carriage return
// before it), which is then taken off text.
std::string_view NextLine(std::string_view& text);

// Everything after the last occurrence of separator; empty when there is none.
std::string TextAfterLast(std::string_view text, std::string_view separator, LeadBytePredicate isLead);
