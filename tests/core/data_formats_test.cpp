// The values behind a row's texts, as the JSON layout writes them; CSV quoting of line ends.
#include "output/data_formats.h"

#include <gtest/gtest.h>

#include <string>

#include "search/row.h"

namespace quillow {
namespace {

constexpr uint16_t Date(unsigned y, unsigned m, unsigned d) {
  return static_cast<uint16_t>((y - 1980) << 9 | m << 5 | d);
}
constexpr uint16_t Time(unsigned h, unsigned m, unsigned s = 0) {
  return static_cast<uint16_t>(h << 11 | m << 5 | s / 2);
}

TEST(DataFormats, ValuesComeFromTheRowsKeysAndAgreeWithItsTexts) {
  const struct {
    uint16_t date, time;
    uint32_t size, packed;
    bool dated;
    std::optional<std::string> iso;
    std::optional<int64_t> ratio;
  } cases[] = {
      {Date(1999, 12, 1), Time(0, 5), 5000, 1550, true, "1999-12-01T00:05:00", 69},
      {Date(2010, 7, 4), Time(12, 59, 58), 100, 150, true, "2010-07-04T12:59:00", -50},
      {Date(2107, 12, 31), Time(23, 59), 4294967295u, 0, true, "2107-12-31T23:59:00", {}},
      // A packed size far past the size: a ratio no 32-bit number holds.
      {Date(2001, 3, 15), Time(15, 18), 1, 4294967295u, false, {}, -429496729400},
      // Fields no calendar has, as a damaged header gives them.
      {Date(2001, 13, 1), Time(1, 0), 10, 5, true, {}, 50},
      {Date(2001, 1, 0), Time(1, 0), 10, 5, true, {}, 50},
      {Date(2001, 1, 1), Time(24, 0), 10, 5, true, {}, 50},
      {Date(2001, 1, 1), Time(1, 60), 0, 5, true, {}, {}},
  };
  for (const auto& c : cases) {
    const search::ResultRow row =
        search::MakeRow("a", "C:\\a.zip", c.date, c.time, c.size, c.packed, false, '\\', c.dated);
    const output::RowValues v = output::RowValuesOf(row);
    EXPECT_EQ(v.modified, c.iso) << row.modified;
    EXPECT_EQ(v.ratio, c.ratio) << row.ratio;
    EXPECT_EQ(v.size, c.size);
    EXPECT_EQ(v.ratio ? std::to_string(*v.ratio) + "%" : "?", row.ratio);
    EXPECT_EQ(v.packed ? std::to_string(*v.packed) : "?", row.packed);
    EXPECT_FALSE(v.folder);
  }
  EXPECT_TRUE(
      output::RowValuesOf(search::MakeRow("d", "C:\\", 0, 0, 0, 0, true, '\\', true)).folder);
}

TEST(DataFormats, JsonLinesHoldTextsAndValues) {
  std::string json;
  output::WriteJson(
      {search::MakeRow("a.txt", "/d/x.tar", 0, 0, 10, 0, false, '/', false),
       search::MakeRow("d", "/d", Date(2001, 3, 15), Time(15, 18), 100, 150, true, '/', true)},
      json);
  EXPECT_EQ(json,
            "{\"file\":\"a.txt\",\"container\":\"/d/x.tar\",\"modifiedText\":\"?\",\"sizeText\":"
            "\"10\",\"ratioText\":\"?\",\"packedText\":\"?\",\"size\":10,\"packed\":null,"
            "\"ratio\":null,\"modified\":null,\"folder\":false}\n"
            "{\"file\":\"d\",\"container\":\"/d/\",\"modifiedText\":\"3/15/2001 3:18 PM\","
            "\"sizeText\":\"100\",\"ratioText\":\"-50%\",\"packedText\":\"150\",\"size\":100,"
            "\"packed\":150,\"ratio\":-50,\"modified\":\"2001-03-15T15:18:00\",\"folder\":true}\n");
}

TEST(DataFormats, LineEndsAndControlsInNamesStayInsideTheirField) {
  const search::ResultRow row{"two\r\nlines\t\x01.txt", "C:\\a.zip", "?", "1", "?", "1"};
  std::string csv, json;
  output::WriteCsvRow(row, {false, true, false, false}, csv);
  EXPECT_EQ(csv, "\"two\r\nlines\t\x01.txt\",C:\\a.zip,1\r\n");
  output::WriteJsonRow(row, json);
  const std::string start = "{\"file\":\"two\\r\\nlines\\t\\u0001.txt\",\"container\"";
  EXPECT_EQ(json.substr(0, start.size()), start);
  EXPECT_EQ(json.back(), '\n');
  EXPECT_EQ(json.find('\n'), json.size() - 1);
}

// Fields are looked at eight bytes at a time and the tail byte by byte: a quoting byte is
// found wherever it stands, and its neighbours in value never count.
TEST(DataFormats, CsvQuotesAFieldWhereverItsQuotingByteStands) {
  const std::string plain = "+-.\x0C\x0B!\xC3\xA9+-.\x0C\x0B!\xC3\xA9!";  // 17 bytes, UTF-8
  std::string csv;
  output::WriteCsvRow({plain, "c", "?", "1", "?", "1"}, {false, false, false, false}, csv);
  EXPECT_EQ(csv, plain + ",c\r\n");
  for (char special : {',', '"', '\r', '\n'}) {
    for (size_t at = 0; at < plain.size(); ++at) {
      std::string name = plain;
      name[at] = special;
      csv.clear();
      output::WriteCsvRow({name, "c", "?", "1", "?", "1"}, {false, false, false, false}, csv);
      ASSERT_EQ(csv.front(), '"') << int(special) << " at " << at;
    }
  }
}

}  // namespace
}  // namespace quillow
