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

std::string Utf8ToGbk(std::string_view utf8) {
  std::string gbk = CodePageFromWide(WideFromUtf8(utf8), 936);
  gbk.resize(std::strlen(gbk.c_str()));
  return gbk;
}
