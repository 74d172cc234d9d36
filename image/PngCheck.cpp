#include "image/PngCheck.h"

std::string BytesToHex(ByteSpan bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 15]);
  }
  return text;
}

std::string CheckPngHeader(ByteSpan bytes) {
  const std::string hex = BytesToHex(bytes.first(bytes.size() < 16 ? bytes.size() : 16));
  return hex == "89504E470D0A1A0A0000000D49484452" ? "png" : "";
}
