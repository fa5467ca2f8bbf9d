// Which names are shown decoded: one rule for every layout, the list, the sort and the
// print-out. A name the file system gave is its bytes; only a stored member name that is
// not UTF-8 is read as code page 437.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "output/data_formats.h"
#include "output/display_text.h"
#include "output/ordering.h"
#include "output/print_layout.h"
#include "output/writers.h"
#include "search/row.h"

namespace quillow {
namespace {

int CompareBytes(std::string_view a, std::string_view b) { return a.compare(b); }

TEST(ShownNames, FileSystemNamesAreTheirBytesAndStoredNamesDecodedEverywhere) {
  const struct {
    search::ResultRow row;
    std::string file, container;  // as shown
    std::string json;             // the names' part of the JSON line
  } cases[] = {
      // A member stored in code page 437 (0xE9 is "Θ"), in an archive on a Latin-1 path.
      {search::MakeRow("\xE9.txt", "/\xE0/a.zip", 0, 0, 1, 1, false, '/', true), "\xCE\x98.txt",
       "/\xE0/a.zip",
       "{\"file\":\"\xCE\x98.txt\",\"container\":\"/\xEF\xBF\xBD/a.zip\","
       "\"containerBytes\":\"L+AvYS56aXA=\","},
      // A Latin-1 file found in a folder: neither name is decoded.
      {search::MakeRow("\xD0.md", "/\xD0", 0, 0, 1, 1, true, '/', true), "\xD0.md", "/\xD0/",
       "{\"file\":\"\xEF\xBF\xBD.md\",\"fileBytes\":\"0C5tZA==\",\"container\":\"/\xEF\xBF\xBD/\","
       "\"containerBytes\":\"L9Av\","},
      // UTF-8 names stay as they are and need no bytes.
      {search::MakeRow("\xD8\xA7.txt", "/\xC3\xA9/b.zip", 0, 0, 1, 1, false, '/', true),
       "\xD8\xA7.txt", "/\xC3\xA9/b.zip",
       "{\"file\":\"\xD8\xA7.txt\",\"container\":\"/\xC3\xA9/b.zip\","},
  };
  const output::SaveColumns none{false, false, false, false};
  std::vector<search::ResultRow> rows;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::vector<search::ResultRow> one{c.row};
    std::string tabs, spaces, html, csv, json;
    output::WriteTextWithTabs(one, none, false, tabs);
    EXPECT_EQ(tabs, c.file + "\t" + c.container + "\r\n");
    output::WriteTextWithSpaces(one, none, spaces);
    EXPECT_NE(spaces.find(c.file + "    " + c.container), std::string::npos) << spaces;
    output::WriteHtml(one, none, output::HtmlStyle{}, html);
    EXPECT_NE(html.find(">" + c.file + "<"), std::string::npos) << html;
    EXPECT_NE(html.find(">" + c.container + "<"), std::string::npos) << html;
    output::WriteCsvRow(c.row, none, csv);
    EXPECT_EQ(csv, c.file + "," + c.container + "\r\n");
    output::WriteJsonRow(c.row, json);
    EXPECT_EQ(json.substr(0, c.json.size()), c.json);
    EXPECT_EQ(output::ShownFile(c.row), c.file);  // the results list's text
    const std::string printed = output::LayoutPrint(one, {1700, 2000, 40})[0][1].text;
    EXPECT_EQ(printed, c.file + "..." + c.container);
    rows.push_back(c.row);
  }

  // Sorted by the texts as shown: decoding the container or the folder's file, or leaving
  // the member undecoded, each gives another order.
  const struct {
    int kind;
    output::TextCompare compare;
    std::vector<size_t> order;
  } sorts[] = {
      {1, output::CompareTextNoCase, {0, 1, 2}},
      {1, CompareBytes, {0, 1, 2}},
      {3, output::CompareTextNoCase, {2, 1, 0}},
      {3, CompareBytes, {2, 1, 0}},
  };
  for (const auto& s : sorts) {
    std::vector<search::ResultRow> sorted = rows;
    output::SortRows(sorted, s.kind, s.compare);
    std::vector<size_t> order;
    for (const search::ResultRow& r : sorted)
      order.push_back(static_cast<size_t>(
          std::find_if(rows.begin(), rows.end(),
                       [&](const search::ResultRow& x) { return x.file == r.file; }) -
          rows.begin()));
    EXPECT_EQ(order, s.order) << s.kind;
    for (size_t i = 1; i < sorted.size(); ++i)
      EXPECT_TRUE(output::RowBefore(sorted[i - 1], sorted[i], s.kind, s.compare)) << s.kind;
  }
}

}  // namespace
}  // namespace quillow
