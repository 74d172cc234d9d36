// Fuzz target for the installer database reader: the string pool, the
// Property table read through it, and the icon stream choice. The input is
// the pool's and the data's sizes (two little-endian 32-bit words), the
// pool, the data, then the Property table; the value found is looked up
// among streams named after the table's strings.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "windows/MsiDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  const auto word = [&](std::size_t at) {
    return data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) | (std::uint32_t{data[at + 3]} << 24);
  };
  const ByteSpan rest(data + 8, size - 8);
  const std::size_t poolSize = word(0) < rest.size() ? word(0) : rest.size();
  const std::size_t dataSize = word(4) < rest.size() - poolSize ? word(4) : rest.size() - poolSize;
  const std::optional<MsiStrings> strings =
      MsiStrings::Read(rest.subspan(0, poolSize), rest.subspan(poolSize, dataSize));
  if (!strings) return 0;
  const ByteSpan table = rest.subspan(poolSize + dataSize);
  const std::optional<std::string> value = MsiProperty(*strings, table, "ARPPRODUCTICON");
  if (value && value->size() > dataSize) __builtin_trap();
  std::vector<ArchiveEntry> streams;
  for (std::uint32_t id = 1; id <= 4; ++id) {
    streams.push_back({"Icon." + std::string(strings->at(id)), id, id});
  }
  const ArchiveEntry* chosen = ChooseMsiIconStream(streams, value);
  if (chosen && (chosen < streams.data() || chosen >= streams.data() + streams.size())) __builtin_trap();
  return 0;
}
