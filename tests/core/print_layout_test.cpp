#include "output/print_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillow {
namespace {

std::vector<search::ResultRow> Named(const std::vector<std::string>& names) {
  std::vector<search::ResultRow> rows;
  for (const std::string& name : names)
    rows.push_back({name, "C:\\" + name + "\\", "", "", "", ""});
  return rows;
}

// A page 1700 x 2000: x = 100, top = 100, the break test at y >= 1900.
constexpr output::PrintMetrics kPage{1700, 2000, 40};

TEST(PrintLayout, DotLeaderAlignsTheArchiveColumn) {
  const auto pages = output::LayoutPrint(Named({"abcde", "abcdefghijkl", "abcdefg"}), kPage);
  ASSERT_EQ(pages.size(), 1u);
  const output::PrintPage& page = pages[0];
  ASSERT_EQ(page.size(), 4u);
  EXPECT_EQ(page[0].text, "File" + std::string(11, ' ') + "Archive/Folder");
  EXPECT_EQ(page[1].text, "abcde..........C:\\abcde\\");
  EXPECT_EQ(page[2].text, "abcdefghijkl...C:\\abcdefghijkl\\");
  EXPECT_EQ(page[3].text, "abcdefg........C:\\abcdefg\\");
  // Header at the top edge, rows after the header gap, then the row gap.
  const int ys[] = {100, 170, 220, 270};
  for (size_t i = 0; i < page.size(); ++i) {
    EXPECT_EQ(page[i].x, 100) << i;
    EXPECT_EQ(page[i].y, ys[i]) << i;
  }
}

TEST(PrintLayout, ColumnWidthCountsCharactersNotBytes) {
  // One character: "Archive/Folder" follows "File" at once. A UTF-8 name of four letters
  // in eight bytes, and a code page 437 name, are as wide as they look.
  EXPECT_EQ(output::PrintColumnWidth(Named({"a"})), 4);
  EXPECT_EQ(output::LayoutPrint(Named({"a"}), kPage)[0][0].text, "FileArchive/Folder");
  const std::string e4 = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
  EXPECT_EQ(output::PrintColumnWidth(Named({e4, "ab"})), 7);
  EXPECT_EQ(output::LayoutPrint(Named({e4, "ab"}), kPage)[0][1].text, e4 + "...C:\\" + e4 + "\\");
  // The stored name is decoded; the folder path beside it is the file system's, as it is.
  const auto pages = output::LayoutPrint(Named({"r\x82sum\x82", "abcdefg"}), kPage);
  EXPECT_EQ(pages[0][1].text, "r\xC3\xA9sum\xC3\xA9....C:\\r\x82sum\x82\\");
}

TEST(PrintLayout, RowsContinueOnNewPagesUnderTheHeader) {
  // Rows 50 apart from 170: the 35th row ends at 1920 >= 1900, so 35 rows a page.
  std::vector<std::string> names;
  for (int i = 0; i < 80; ++i) names.push_back("n" + std::to_string(100 + i));
  const auto pages = output::LayoutPrint(Named(names), kPage);
  ASSERT_EQ(pages.size(), 3u);
  size_t next = 0;
  for (const output::PrintPage& page : pages) {
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(page[0].y, 100);
    EXPECT_EQ(page[0].text.rfind("File", 0), 0u);
    EXPECT_EQ(page.back().y, 170 + 50 * static_cast<int>(page.size() - 2));
    for (size_t i = 1; i < page.size(); ++i) EXPECT_EQ(page[i].text.substr(0, 4), names[next++]);
  }
  EXPECT_EQ(next, names.size());
  EXPECT_EQ(pages[0].size(), 36u);
  EXPECT_EQ(pages[2].size(), 11u);
}

TEST(PrintLayout, BreakAfterTheLastRowLeavesAnEmptyPage) {
  // With the line height 10, row 88 ends exactly on the bottom line, y = 140 + 88 * 20 = 1900.
  const struct {
    output::PrintMetrics page;
    size_t fits;
  } cases[] = {{kPage, 35}, {{1700, 2000, 10}, 88}};
  for (const auto& c : cases) {
    const auto full = output::LayoutPrint(Named(std::vector<std::string>(c.fits, "x")), c.page);
    ASSERT_EQ(full.size(), 2u) << c.fits;
    EXPECT_TRUE(full[1].empty());
    EXPECT_EQ(output::LayoutPrint(Named(std::vector<std::string>(c.fits - 1, "x")), c.page).size(),
              1u);
  }
}

TEST(PrintLayout, DegenerateInputs) {
  EXPECT_TRUE(output::LayoutPrint({}, kPage).empty());
  // A name far wider than the page is one run, left to run off the edge.
  const std::string wide(5000, 'w');
  const auto pages = output::LayoutPrint(Named({wide}), kPage);
  EXPECT_EQ(pages[0][1].text, wide + "...C:\\" + wide + "\\");
  // A page with no height breaks after every row instead of looping.
  EXPECT_EQ(output::LayoutPrint(Named({"a", "b", "c"}), {0, 0, 0}).size(), 4u);
  // Only empty names: no negative run of spaces.
  EXPECT_EQ(output::LayoutPrint(Named({""}), kPage)[0][0].text, "FileArchive/Folder");
}

// Records the calls of a job; fails the call numbered `failAt` (counting every call).
class FakeDevice final : public output::PrintDevice {
 public:
  explicit FakeDevice(int failAt = -1) : failAt_(failAt) {}
  bool StartJob(const std::string& name) override { return Step("job " + name); }
  output::PrintMetrics Prepare() override { return kPage; }
  bool StartPage() override { return Step("page"); }
  void Text(int, int, const std::string&) override { ++texts; }
  bool EndPage() override { return Step("end page"); }
  bool EndJob() override { return Step("end job"); }
  void AbortJob() override { calls.push_back("abort"); }
  std::vector<std::string> calls;
  int texts = 0;

 private:
  bool Step(const std::string& call) {
    calls.push_back(call);
    return static_cast<int>(calls.size()) != failAt_;
  }
  int failAt_;
};

TEST(PrintJob, PagesInOrderAndEveryFailingStepAborts) {
  const auto rows = Named(std::vector<std::string>(40, "x"));  // two pages
  FakeDevice good;
  EXPECT_EQ(output::RunPrintJob(good, rows), "");
  EXPECT_EQ(good.calls, (std::vector<std::string>{"job Quillow Search Results", "page", "end page",
                                                  "page", "end page", "end job"}));
  EXPECT_EQ(good.texts, 42);

  struct Case {
    int failAt;
    const char* message;
    bool aborted;
  } cases[] = {
      {1, "could not start the print job", false},
      {4, "could not start page 2", true},
      {3, "could not finish page 1", true},
      {6, "could not end the print job", true},
  };
  for (const Case& c : cases) {
    FakeDevice bad(c.failAt);
    const std::string error = output::RunPrintJob(bad, rows);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(bad.calls.back() == "abort", c.aborted) << c.failAt;
    EXPECT_EQ(static_cast<int>(bad.calls.size()), c.failAt + (c.aborted ? 1 : 0)) << c.failAt;
  }
}

}  // namespace
}  // namespace quillow
