// Fuzz target for the icon choice over an iOS package's archive listing,
// through the regular-expression engine. The input's first byte picks the
// code page the listing is read in (odd: GBK, double-byte; even: 1252), the
// rest is the listing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ios/IpaIconChoice.h"
#include "tests/support/IconvCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const NarrowCodec& codec = (data[0] & 1) ? Gbk936Codec() : Cp1252Codec();
  const std::string_view listing(reinterpret_cast<const char*>(data + 1), size - 1);
  const IpaIconEntry entry = ChooseIpaIconEntry(listing, codec);
  // Sizes saturate at the 32-bit maximum, never wrap.
  if (entry.size < 0) __builtin_trap();
  return 0;
}
