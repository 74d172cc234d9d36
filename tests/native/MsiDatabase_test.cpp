#include "windows/MsiDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A pool and its data as a database stores them, strings numbered from 1.
struct Pool {
  Bytes pool, data;
};
Pool MakePool(const std::vector<std::string>& strings, bool longReferences = false) {
  Pool out;
  PutU16le(out.pool, 65001);
  PutU16le(out.pool, longReferences ? 0x8000 : 0);
  for (const std::string& text : strings) {
    if (text.size() >= 0x10000) {  // the two-entry form of a long string
      for (std::uint32_t word : {0u, 1u, std::uint32_t(text.size() & 0xFFFF), std::uint32_t(text.size() >> 16)}) {
        PutU16le(out.pool, static_cast<std::uint16_t>(word));
      }
    } else {
      PutU16le(out.pool, static_cast<std::uint16_t>(text.size()));
      PutU16le(out.pool, 1);
    }
    out.data.insert(out.data.end(), text.begin(), text.end());
  }
  return out;
}

// The Property table of (name, value) string numbers, column by column.
Bytes PropertyTable(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& rows, bool longReferences = false) {
  Bytes out;
  const auto put = [&](std::uint32_t id) {
    PutU16le(out, static_cast<std::uint16_t>(id));
    if (longReferences) out.push_back(static_cast<std::uint8_t>(id >> 16));
  };
  for (const auto& row : rows) put(row.first);
  for (const auto& row : rows) put(row.second);
  return out;
}

TEST(MsiDatabase, TheProductIconPropertyIsReadThroughThePool) {
  const std::string big(70000, 'x');
  const struct {
    const char* what;
    std::vector<std::string> strings;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> rows;
    bool longReferences;
    std::optional<std::string> expected;
  } kCases[] = {
      {"two-byte references", {"ProductName", "ARPPRODUCTICON", "Demo", "AppIcon.ico"}, {{1, 3}, {2, 4}}, false,
       "AppIcon.ico"},
      {"three-byte references", {"ARPPRODUCTICON", "Setup.exe"}, {{1, 2}}, true, "Setup.exe"},
      {"a long string before it", {big, "ARPPRODUCTICON", "icon"}, {{1, 1}, {2, 3}}, false, "icon"},
      {"no such row", {"ProductName", "Demo"}, {{1, 2}}, false, std::nullopt},
      {"a number beyond the pool reads as empty", {"ARPPRODUCTICON"}, {{1, 900}}, false, ""},
  };
  for (const auto& c : kCases) {
    const Pool pool = MakePool(c.strings, c.longReferences);
    const std::optional<MsiStrings> strings = MsiStrings::Read(pool.pool, pool.data);
    ASSERT_TRUE(strings) << c.what;
    EXPECT_EQ(MsiProperty(*strings, PropertyTable(c.rows, c.longReferences), "ARPPRODUCTICON"), c.expected) << c.what;
  }
}

TEST(MsiDatabase, DamagedPoolsAndTablesGiveNothing) {
  Pool pool = MakePool({"ARPPRODUCTICON", "icon"});
  Bytes cut = pool.data;
  cut.pop_back();
  EXPECT_FALSE(MsiStrings::Read(pool.pool, cut)) << "a length beyond the data";
  EXPECT_FALSE(MsiStrings::Read(Bytes(pool.pool.begin(), pool.pool.end() - 2), pool.data)) << "a cut entry";
  Pool longForm = MakePool({std::string(70000, 'x')});
  longForm.pool.resize(longForm.pool.size() - 4);
  EXPECT_FALSE(MsiStrings::Read(longForm.pool, longForm.data)) << "a long string's second entry missing";

  const std::optional<MsiStrings> strings = MsiStrings::Read(pool.pool, pool.data);
  ASSERT_TRUE(strings);
  Bytes table = PropertyTable({{1, 2}});
  table.pop_back();
  EXPECT_EQ(MsiProperty(*strings, table, "ARPPRODUCTICON"), std::nullopt) << "no whole number of rows";
}

TEST(MsiDatabase, TheNamedIconStreamElseTheLargest) {
  const std::vector<ArchiveEntry> streams = {
      {"!Property", 900, 900}, {"Icon.small.ico", 1000, 1000}, {"Icon.big.exe", 5000, 5000},
      {"Icon.named.ico", 2000, 2000}, {"Binary.Banner", 90000, 90000}};
  EXPECT_EQ(ChooseMsiIconStream(streams, std::string("named.ico"))->path, "Icon.named.ico");
  EXPECT_EQ(ChooseMsiIconStream(streams, std::string("missing.ico"))->path, "Icon.big.exe");
  EXPECT_EQ(ChooseMsiIconStream(streams, std::nullopt)->path, "Icon.big.exe");
  EXPECT_EQ(ChooseMsiIconStream({{"!Property", 9, 9}, {"Binary.Icon", 9, 9}}, std::nullopt), nullptr);
}

}  // namespace
