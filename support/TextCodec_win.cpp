#include "support/TextCodec_win.h"

#include <climits>

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
