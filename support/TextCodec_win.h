#pragma once
// Conversions between Windows code pages and UTF-16. Invalid or empty input
// gives the empty text.
#include <string>
#include <string_view>

#include <windows.h>

std::wstring WideFromCodePage(std::string_view text, UINT codePage);
std::string CodePageFromWide(std::wstring_view text, UINT codePage);

inline std::wstring WideFromUtf8(std::string_view text) { return WideFromCodePage(text, CP_UTF8); }
inline std::string Utf8FromWide(std::wstring_view text) { return CodePageFromWide(text, CP_UTF8); }
inline std::wstring WideFromAnsi(std::string_view text) { return WideFromCodePage(text, CP_ACP); }

// Whether a byte starts a double-byte character in the system code page.
inline bool SystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

struct NarrowCodec;
// Narrow texts in the system code page, for the pattern matcher.
const NarrowCodec& SystemNarrowCodec();

// Text in code page 936 (GBK) converted from UTF-8 bytes, up to its first
// zero; characters outside the code page become its default character. The
// helper tools print UTF-8; the pipelines parse their text in this form.
std::string Utf8ToGbk(std::string_view utf8);
