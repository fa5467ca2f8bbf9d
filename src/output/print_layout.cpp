#include "output/print_layout.h"

#include <algorithm>
#include <string>

#include "output/display_text.h"

namespace quillow::output {

namespace {

int Width(const search::ResultRow& row) { return static_cast<int>(DisplayWidth(ShownFile(row))); }

}  // namespace

int PrintColumnWidth(const std::vector<search::ResultRow>& rows) {
  int longest = 0;
  for (const search::ResultRow& row : rows) longest = std::max(longest, Width(row));
  return longest + 3;
}

std::vector<PrintPage> LayoutPrint(const std::vector<search::ResultRow>& rows,
                                   const PrintMetrics& metrics) {
  std::vector<PrintPage> pages;
  if (rows.empty()) return pages;
  const int x = metrics.pageWidth / 17;
  const int top = metrics.pageHeight / 20;
  const int h = metrics.lineHeight;
  const int w = PrintColumnWidth(rows);
  // Only a list of empty names makes W smaller than "File": the header then has no gap.
  const std::string header = "File" + std::string(std::max(w - 4, 0), ' ') + "Archive/Folder";

  pages.emplace_back();
  bool headerDue = true;
  int y = top;
  for (const search::ResultRow& row : rows) {
    if (headerDue) {
      y = top;
      pages.back().push_back({x, y, header});
      y += h + kPrintHeaderGap;
      headerDue = false;
    }
    const std::string name = ShownFile(row);
    const int dots = std::max(w - static_cast<int>(DisplayWidth(name)), 0);
    pages.back().push_back({x, y, name + std::string(dots, '.') + row.container});
    y += h + kPrintRowGap;
    if (y >= metrics.pageHeight - top) {
      pages.emplace_back();
      headerDue = true;
    }
  }
  return pages;
}

std::string RunPrintJob(PrintDevice& device, const std::vector<search::ResultRow>& rows,
                        const PrintPageStart& pageStart) {
  if (!device.StartJob(kPrintJobName))
    return "The printer could not start the print job. Nothing was printed.";
  const std::vector<PrintPage> pages = LayoutPrint(rows, device.Prepare());
  for (size_t p = 0; p < pages.size(); ++p) {
    if (pageStart && !pageStart(p + 1, pages.size())) {
      device.AbortJob();
      return {};
    }
    if (!device.StartPage()) {
      device.AbortJob();
      return "The printer could not start page " + std::to_string(p + 1) +
             " of the print job. The job was cancelled.";
    }
    for (const PrintLine& line : pages[p]) device.Text(line.x, line.y, line.text);
    if (!device.EndPage()) {
      device.AbortJob();
      return "The printer could not finish page " + std::to_string(p + 1) +
             " of the print job. The job was cancelled.";
    }
  }
  if (!device.EndJob()) {
    device.AbortJob();
    return "The printer could not end the print job. The job was cancelled.";
  }
  return {};
}

}  // namespace quillow::output
