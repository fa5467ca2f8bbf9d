// The values behind a row's texts, as the JSON layout writes them; CSV quoting of line ends.
#include "output/data_formats.h"

#include <gtest/gtest.h>

namespace quillow {
namespace {

TEST(DataFormats, ValuesReadBackFromTheShownTexts) {
  const struct {
    const char* modified;
    const char* ratio;
    std::optional<std::string> iso;
    std::optional<int32_t> percent;
  } cases[] = {
      {"12/1/1999 12:05 AM", "69%", "1999-12-01T00:05:00", 69},
      {"7/4/2010 12:59 PM", "-50%", "2010-07-04T12:59:00", -50},
      {"3/15/2001 3:18 PM", "?", "2001-03-15T15:18:00", std::nullopt},
      {"?", "0%", std::nullopt, 0},
      {"13/1/2001 3:18 PM", "%", std::nullopt, std::nullopt},
      {"1/1/2001 3:18", "5", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    const RowValues v = RowValuesOf({"a", "C:\\a.zip", c.modified, "4294967295", c.ratio, "?"});
    EXPECT_EQ(v.modified, c.iso) << c.modified;
    EXPECT_EQ(v.ratio, c.percent) << c.ratio;
    EXPECT_EQ(v.size, 4294967295u);
    EXPECT_EQ(v.packed, std::nullopt);
    EXPECT_FALSE(v.folder);
  }
  EXPECT_TRUE(RowValuesOf({"a", "C:\\d\\", "?", "1", "?", "1"}).folder);
}

TEST(DataFormats, LineEndsAndControlsInNamesStayInsideTheirField) {
  const ResultRow row{"two\r\nlines\t\x01.txt", "C:\\a.zip", "?", "1", "?", "1"};
  std::string csv, json;
  WriteCsvRow(row, {false, true, false, false}, csv);
  EXPECT_EQ(csv, "\"two\r\nlines\t\x01.txt\",C:\\a.zip,1\r\n");
  WriteJsonRow(row, json);
  EXPECT_EQ(json.substr(0, 46), "{\"file\":\"two\\r\\nlines\\t\\u0001.txt\",\"container\"");
  EXPECT_EQ(json.back(), '\n');
  EXPECT_EQ(json.find('\n'), json.size() - 1);
}

}  // namespace
}  // namespace quillow
