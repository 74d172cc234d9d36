#include "support/TextCodec_win.h"

#include "support/PatternMatcher.h"

#include <climits>
#include <cstring>

std::wstring WideFromCodePage(std::string_view text, UINT codePage) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int inLen = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, 0, text.data(), inLen, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(codePage, 0, text.data(), inLen, out.data(), n) != n) return {};
  return out;
}

std::string CodePageFromWide(std::wstring_view text, UINT codePage) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int inLen = static_cast<int>(text.size());
  const int m = WideCharToMultiByte(codePage, 0, text.data(), inLen, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return {};
  std::string out(static_cast<size_t>(m), '\0');
  if (WideCharToMultiByte(codePage, 0, text.data(), inLen, out.data(), m, nullptr, nullptr) != m) return {};
  return out;
}

std::optional<std::string> SpellInCodePage(std::wstring_view text, UINT codePage) {
  if (codePage == CP_ACP) codePage = GetACP();  // the rules below differ for UTF-8
  if (text.empty()) return std::string();
  if (text.size() > INT_MAX) return std::nullopt;
  const int inLen = static_cast<int>(text.size());
  // UTF-8 spells everything but lone surrogates, and takes neither flags nor
  // the used-default question.
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* askDefault = utf8 ? nullptr : &usedDefault;
  const int m = WideCharToMultiByte(codePage, flags, text.data(), inLen, nullptr, 0, nullptr, askDefault);
  if (m <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<size_t>(m), '\0');
  if (WideCharToMultiByte(codePage, flags, text.data(), inLen, out.data(), m, nullptr, askDefault) != m || usedDefault) {
    return std::nullopt;
  }
  return out;
}

namespace {

std::u16string SystemToUtf16(std::string_view narrow) {
  const std::wstring wide = WideFromCodePage(narrow, CP_ACP);
  return std::u16string(wide.begin(), wide.end());
}

std::string SystemFromUtf16(std::u16string_view wide) {
  return CodePageFromWide(std::wstring(wide.begin(), wide.end()), CP_ACP);
}

}  // namespace

const NarrowCodec& SystemNarrowCodec() {
  static const NarrowCodec codec{SystemToUtf16, SystemFromUtf16};
  return codec;
}

bool ProcessTextIsUtf8() { return GetACP() == CP_UTF8; }

std::string ToolTextToNarrow(std::string_view utf8) {
  utf8 = utf8.substr(0, utf8.find('\0'));
  if (ProcessTextIsUtf8()) return std::string(utf8);
  std::string narrow = CodePageFromWide(WideFromUtf8(utf8), CP_ACP);
  narrow.resize(std::strlen(narrow.c_str()));
  return narrow;
}

std::wstring ExtendedLengthPath(std::string_view path) {
  const std::wstring wide = WideFromAnsi(path);
  if (wide.empty()) return {};
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  // The prefix turns off the clean-up of "." and ".." and of forward
  // slashes, so that is done first.
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return {};
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return {};
  full.resize(got);
  if (full.rfind(L"\\\\.\\", 0) == 0) return full;  // a device path is taken as it is
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::wstring SystemErrorText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n ? std::wstring(text, n) : L"error " + std::to_wstring(error);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) message.pop_back();
  return message;
}

std::string SystemFoldedName(std::string_view name) {
  const std::wstring wide = WideFromAnsi(name);
  if (wide.empty()) return {};
  std::wstring upper(wide.size(), L'\0');
  const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), int(wide.size()), upper.data(),
                              int(upper.size()), nullptr, nullptr, 0);
  if (n <= 0) return std::string(name);
  upper.resize(std::size_t(n));
  return Utf8FromWide(upper);
}
