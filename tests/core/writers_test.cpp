#include "output/writers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/expected_rows.h"
#include "output/data_formats.h"

namespace quillow {
namespace {

std::vector<search::ResultRow> SampleRows() { return testing_rows::ExpectedRows(); }

// Expected files were written from the layout description by a separate script, not by
// these writers.
std::string Expected(const char* name) {
  std::ifstream in(std::string(QUILLOW_TEST_DATA) + "/expected/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Writers, LayoutsMatchExpectedFiles) {
  const std::vector<search::ResultRow> rows = SampleRows();
  // Writers append: what is in the buffer already stays.
  std::string spaces = "old\r\n", tabs, appendedTabs = "old\r\n", html;
  output::WriteTextWithSpaces(rows, {}, spaces);
  output::WriteTextWithTabs(rows, {}, true, tabs);
  output::WriteTextWithTabs(rows, {}, false, appendedTabs);
  output::WriteHtml(rows, {}, {}, html);
  EXPECT_EQ(spaces, "old\r\n" + Expected("spaces.txt"));
  EXPECT_EQ(tabs, Expected("tabs.txt"));
  EXPECT_EQ(appendedTabs, "old\r\n" + tabs.substr(tabs.find("\r\n") + 2));
  EXPECT_EQ(html, Expected("results.html"));
}

// Saving hands the layout to the file a chunk at a time: the chunks must join into exactly
// the bytes of the whole-string form, and a failed write must end the layout.
TEST(Writers, ChunksJoinToTheWholeLayoutAndAFailedWriteEndsIt) {
  std::vector<search::ResultRow> rows;
  for (int i = 0; i < 3000; ++i)
    for (search::ResultRow& row : SampleRows()) rows.push_back(std::move(row));
  const std::function<void(output::TextSink&)> layouts[] = {
      [&](output::TextSink& s) { output::WriteTextWithSpaces(rows, {}, s); },
      [&](output::TextSink& s) { output::WriteTextWithTabs(rows, {}, true, s); },
      [&](output::TextSink& s) { output::WriteHtml(rows, {}, {}, s); },
      [&](output::TextSink& s) { output::WriteCsv(rows, {}, s); },
      [&](output::TextSink& s) { output::WriteJson(rows, s); },
  };
  for (const auto& write : layouts) {
    std::string whole, chunk, joined, unused;
    output::TextSink all(whole);
    write(all);
    int chunks = 0, failedWrites = 0;
    output::TextSink sink(chunk, [&](std::string_view bytes) {
      ++chunks;
      joined += bytes;
      return true;
    });
    write(sink);
    EXPECT_GT(chunks, 1);
    EXPECT_TRUE(chunk.empty());
    EXPECT_TRUE(joined == whole);
    output::TextSink full(unused, [&](std::string_view) { return ++failedWrites, false; });
    write(full);
    EXPECT_TRUE(full.failed());
    EXPECT_EQ(failedWrites, 1);
  }
}

// The command line writes the padded layout from what it kept of each row as it came: the
// same bytes as the layout over the whole rows, for every choice of columns and controls,
// across the store's blocks (3,000 copies of the sample pass a megabyte).
TEST(Writers, SpooledSpacesAreTheSpacedLayout) {
  std::vector<search::ResultRow> rows;
  for (int i = 0; i < 3000; ++i)
    for (search::ResultRow& row : SampleRows()) rows.push_back(std::move(row));
  rows.push_back({"tab\there\x1B.txt", "/tmp/a\nb/", "?", "0", "?", "?"});
  rows.push_back({"\xE6\x97\xA5\xE6\x9C\xAC.txt", "C:\\wide.zip", "?", "1", "?", "?"});
  rows.push_back({"a\tb\x82.txt", "C:\\cp437.zip", "?", "12345678901", "99%", "1"});
  output::SaveColumns none;
  none.dateTime = none.size = none.ratio = none.packed = false;
  output::SaveColumns some;
  some.size = some.ratio = false;
  for (const output::SaveColumns& cols : {output::SaveColumns{}, none, some}) {
    for (output::Controls controls : {output::Controls::kKeep, output::Controls::kEscape}) {
      std::string whole, spooled;
      output::WriteTextWithSpaces(rows, cols, whole, controls);
      output::SpacedTextSpool spool(cols, controls);
      for (const search::ResultRow& row : rows) spool.Add(row);
      std::string joined;
      output::TextSink joining(spooled,
                               [&](std::string_view bytes) { return joined += bytes, true; });
      spool.Write(joining);
      EXPECT_TRUE(joined == whole) << cols.Any() << static_cast<int>(controls);
    }
  }
}

TEST(Writers, ShortTextsPushOptionalHeadersRight) {
  // W1 = 6 + 4 = 10, W2 = 9 + 4 = 13: "Archive/Folder" is one wider than its column.
  const std::vector<search::ResultRow> rows = {
      {"abcdef", "C:\\x\\y.zip", "3/15/2001 3:18 PM", "1", "?", "?"}};
  std::string out;
  output::WriteTextWithSpaces(rows, {}, out);
  EXPECT_EQ(out,
            "File      Archive/FolderDate/Time              Size          Ratio   Packed\r\n"
            "abcdef    C:\\x\\y.zip    3/15/2001 3:18 PM      1             ?       ?\r\n");
}

// A CJK name takes two columns a character, a decomposed accent none: the next column
// starts in the same place on every row.
TEST(Writers, SpacesPadByDisplayColumns) {
  const std::vector<search::ResultRow> rows = {
      {"\xE6\x97\xA5\xE6\x9C\xAC.txt", "C:\\\xEF\xBC\xA1\\", "", "1", "", ""},
      {"cafe\xCC\x81.txt", "C:\\b\\", "", "22", "", ""},
      {"abcdefgh", "C:\\", "", "333", "", ""}};
  std::string out;
  output::WriteTextWithSpaces(rows, {false, true, false, false}, out);
  EXPECT_EQ(out,
            "File        Archive/FolderSize          \r\n"
            "\xE6\x97\xA5\xE6\x9C\xAC.txt    C:\\\xEF\xBC\xA1\\    1             \r\n"
            "cafe\xCC\x81.txt    C:\\b\\     22            \r\n"
            "abcdefgh    C:\\       333           \r\n");
}

TEST(Writers, OptionalColumnsFollowTheChoice) {
  const std::vector<search::ResultRow> rows = {
      {"a.txt", "C:\\a.zip", "1/2/2003 9:07 AM", "100", "-50%", "150"}};
  std::string none, some, tabs;
  output::WriteTextWithSpaces(rows, {false, false, false, false}, none);
  EXPECT_EQ(none, "File     Archive/Folder\r\na.txt    C:\\a.zip\r\n");
  output::WriteTextWithSpaces(rows, {false, true, true, false}, some);
  EXPECT_EQ(some,
            "File     Archive/FolderSize          Ratio   \r\n"
            "a.txt    C:\\a.zip    100           -50%    \r\n");
  output::WriteTextWithTabs(rows, {true, false, false, true}, true, tabs);
  EXPECT_EQ(tabs,
            "File\tArchive/Folder\tDate/Time\tPacked\r\n"
            "a.txt\tC:\\a.zip\t1/2/2003 9:07 AM\t150\r\n");
}

TEST(Writers, HtmlStyleOptions) {
  const std::vector<search::ResultRow> rows = {{"a&b.txt", "C:\\d\\", "?", "0", "?", "?"}};
  output::HtmlStyle style;
  style.background = 0x00336699;
  style.hyperlinks = false;
  style.tableBorders = false;
  std::string out;
  output::WriteHtml(rows, {false, true, false, false}, style, out);
  EXPECT_EQ(out,
            "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>Quillow search "
            "results</title>\r\n</head>\r\n"
            "<body bgcolor=\"#996633\" text=\"#000000\" link=\"#FF0000\" vlink=\"#00FF00\" "
            "alink=\"#0000FF\">\r\n<table cellpadding=5>\r\n"
            "<tr><th>File</th><th>Archive/Folder</th><th>Size</th></tr>\r\n"
            "<tr><td>a&amp;b.txt</td><td>C:\\d\\</td><td>0</td></tr>\r\n"
            "</table>\r\n</body>\r\n</html>");
}

TEST(Writers, ColoursAndUrls) {
  EXPECT_EQ(output::HtmlColor(0x000000FF), "FF0000");
  EXPECT_EQ(output::HtmlColor(0x00123456), "563412");
  EXPECT_EQ(output::HtmlColor(0xFF0000A0), "A00000");
  EXPECT_EQ(output::FileUrl("/home/u/a b/\"x\".txt"), "file:///home/u/a%20b/%22x%22.txt");
  EXPECT_EQ(output::FileUrl("\\\\srv\\share\\"), "file://srv/share/");
}

TEST(Writers, SaveFormatFromExtensionAndFilter) {
  struct Case {
    std::string name;
    int filter;
    output::SaveFormat format;
    std::string finalName;
  };
  const Case cases[] = {
      {"report.TXT", 1, output::SaveFormat::kText, "report.TXT"},
      {"report.TXT", 2, output::SaveFormat::kText, "report.TXT"},
      {"report", 2, output::SaveFormat::kHtml, "report.html"},
      {"report", 1, output::SaveFormat::kText, "report.txt"},
      {"report.csv", 2, output::SaveFormat::kHtml, "report.csv"},
      {"report.csv", 1, output::SaveFormat::kText, "report.csv"},
      {"C:\\out\\r.Htm", 1, output::SaveFormat::kHtml, "C:\\out\\r.Htm"},
      {"C:\\v1.2\\report", 1, output::SaveFormat::kText, "C:\\v1.2\\report.txt"},
  };
  for (const Case& c : cases) {
    std::string name = c.name;
    EXPECT_EQ(output::DecideSaveFormat(name, c.filter), c.format) << c.name << " " << c.filter;
    EXPECT_EQ(name, c.finalName);
  }
}

}  // namespace
}  // namespace quillow
