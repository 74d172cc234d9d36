#pragma once
// An installer database (.msi) as 7-Zip's compound-file reader lists it:
// each table a stream of its own ("!Property", "!Icon"), its strings in
// "!_StringPool" (a length and a reference count per string) and
// "!_StringData" (the strings back to back), and each binary cell a stream
// named by its table and key ("Icon.AppIcon.ico").
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/Bytes.h"
#include "tools/ArchiveListing.h"

// The streams a pipeline reads are small; the pool's and the data's caps
// keep a crafted database from naming more strings than it could hold.
inline constexpr std::uint64_t kMaxMsiTableBytes = 16u << 20;

// The strings a database's tables refer to by number (1 and up; 0 is the
// empty cell).
class MsiStrings {
 public:
  // Empty when the pool is damaged: lengths beyond the data, a cut entry.
  static std::optional<MsiStrings> Read(ByteSpan pool, ByteSpan data);

  // The string of that number, as stored (in the database's code page);
  // empty for 0 and for numbers the pool does not have.
  std::string_view at(std::uint32_t id) const;
  // 2, or 3 in databases whose pool says its references take three bytes.
  unsigned referenceBytes() const { return referenceBytes_; }

 private:
  std::string data_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans_;  // offset, length; [0] for id 1
  unsigned referenceBytes_ = 2;
};

// The Value of the Property table's row whose Property is name, or nothing
// when the table has no such row or is damaged (its size no whole number
// of rows). The table is stored column by column.
std::optional<std::string> MsiProperty(const MsiStrings& strings, ByteSpan propertyTable, std::string_view name);

// The icon the installer shows among installed programs: the Icon table's
// stream named by the ARPPRODUCTICON property ("Icon." + its value) when
// that is listed; else the largest "Icon.*" stream; nullptr without either.
const ArchiveEntry* ChooseMsiIconStream(const std::vector<ArchiveEntry>& streams,
                                        const std::optional<std::string>& productIcon);
