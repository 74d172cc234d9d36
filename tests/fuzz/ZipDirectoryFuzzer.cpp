// Fuzz target for the ZIP directory read in place: any bytes are an
// archive; every entry read lies inside them, and a name looked up is one
// of them. Each entry's bytes are read too (up to 1 MiB), and come to its
// listed size.
#include <cstddef>
#include <cstdint>

#include "tools/ZipDirectory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan zip(data, size);
  const auto entries = ReadZipDirectory(zip);
  if (!entries) return 0;
  const char* begin = reinterpret_cast<const char*>(data);
  for (const ZipDirectoryEntry& entry : *entries) {
    if (entry.name.data() < begin || entry.name.data() + entry.name.size() > begin + size) __builtin_trap();
    const std::optional<Bytes> bytes = ReadZipEntry(zip, entry, 1u << 20);
    if (bytes && bytes->size() != entry.size) __builtin_trap();
  }
  if (!entries->empty() && !ZipEntrySize(zip, (*entries)[0].name)) __builtin_trap();
  return 0;
}
