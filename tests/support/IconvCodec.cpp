#include "tests/support/IconvCodec.h"

#include <iconv.h>

#include <string>

namespace {

std::string Convert(const char* to, const char* from, const char* data, std::size_t size) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(size * 4 + 16, '\0');
  char* in = const_cast<char*>(data);
  char* put = out.data();
  std::size_t inLeft = size, outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &put, &outLeft) == static_cast<std::size_t>(-1)) {
      // Unconvertible: skip one unit and mark it, as Windows would with '?'.
      const std::size_t unit = std::string(from) == "UTF-16LE" ? 2 : 1;
      if (inLeft < unit || outLeft < 2) break;
      in += unit;
      inLeft -= unit;
      if (std::string(to) == "UTF-16LE") { *put++ = '?'; *put++ = 0; outLeft -= 2; }
      else { *put++ = '?'; --outLeft; }
    }
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

template <const char* CodePage>
std::u16string ToUtf16(std::string_view narrow) {
  const std::string bytes = Convert("UTF-16LE", CodePage, narrow.data(), narrow.size());
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return out;
}

template <const char* CodePage>
std::string FromUtf16(std::u16string_view wide) {
  std::string bytes;
  for (char16_t c : wide) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return Convert(CodePage, "UTF-16LE", bytes.data(), bytes.size());
}

constexpr char kGbk[] = "GBK";
constexpr char kCp1252[] = "CP1252";

}  // namespace

const NarrowCodec& Gbk936Codec() {
  static const NarrowCodec codec{ToUtf16<kGbk>, FromUtf16<kGbk>};
  return codec;
}

const NarrowCodec& Cp1252Codec() {
  static const NarrowCodec codec{ToUtf16<kCp1252>, FromUtf16<kCp1252>};
  return codec;
}
