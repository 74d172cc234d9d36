#pragma once
// Conversions between Windows code pages and UTF-16. Invalid or empty input
// gives the empty text.
#include <optional>
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

// The text in the code page, or nothing when a character has no exact form
// there (no best-fit look-alikes, no default character).
std::optional<std::string> SpellInCodePage(std::wstring_view text, UINT codePage);

struct NarrowCodec;
// Narrow texts in the system code page, for the pattern matcher.
const NarrowCodec& SystemNarrowCodec();

// True when the process's narrow text is UTF-8: the manifest asks for it,
// and Windows 10 1903 and later grant it. Older systems keep the system's
// ANSI code page for the process, and the program behaves as it always did.
bool ProcessTextIsUtf8();

// The helper tools print UTF-8. Their text, up to its first zero, in the
// process code page, the form all narrow text of the program has: unchanged
// when that is UTF-8; otherwise converted, characters outside the code page
// becoming its default character.
std::string ToolTextToNarrow(std::string_view utf8);

// The system's own words for an error code (GetLastError), without the line
// end it ends with; "error N" when it has none.
std::wstring SystemErrorText(DWORD error);

// A path of the process code page as the wide calls take it beyond MAX_PATH:
// full, and prefixed "\\?\" (or "\\?\UNC\" for a share), so that no
// part of it is parsed again. Empty when the path cannot be made full.
std::wstring ExtendedLengthPath(std::string_view path);

// A name as Windows compares file names: every letter folded the way the
// file system's ordinal, case-blind comparison (CompareStringOrdinal) folds
// it, so "\u00c4.png" and "\u00e4.png" are one name, as they are one file.
std::string SystemFoldedName(std::string_view name);
