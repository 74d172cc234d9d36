// Fuzz target for the capped gzip inflater: any bytes, including small files
// that would expand far beyond the cap.
#include <cstddef>
#include <cstdint>

#include "support/Gzip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  // A generous cap and a tiny one, so both growing the buffer and stopping
  // at the cap are taken.
  for (std::size_t cap : {std::size_t{4} << 20, std::size_t{100}}) {
    const Bytes out = InflateGzip(bytes, cap);
    if (out.size() > cap || (!out.empty() && (size < 18 || data[0] != 0x1f || data[1] != 0x8b))) __builtin_trap();
  }
  return 0;
}
