// The printed listing: file name and Archive/Folder, one line per row in list order, in a
// fixed-pitch font, with a column header at the top of every page. Computed here so that
// what lands on each page is known without a printer.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "search/types.h"

namespace quillow::output {

// The printer's printable area and the height of "A" in the print font, in device units.
struct PrintMetrics {
  int pageWidth = 0;   // HORZRES
  int pageHeight = 0;  // VERTRES
  int lineHeight = 0;
};

// One text run, drawn as it is from (x, y): nothing wrapped or clipped.
struct PrintLine {
  int x = 0, y = 0;
  std::string text;  // UTF-8
};

using PrintPage = std::vector<PrintLine>;

inline constexpr char kPrintJobName[] = "Quillow Search Results";
inline constexpr char kPrintQuestion[] =
    "Are you sure you want to print the results of your search?";
inline constexpr char kPrintFontName[] = "Courier New";
inline constexpr int kPrintFontPoints = 11;
inline constexpr int kPrintHeaderGap = 30;
inline constexpr int kPrintRowGap = 10;

// Characters of the file column: the longest displayed name plus three.
int PrintColumnWidth(const std::vector<search::ResultRow>& rows);

// The pages of the job, in order. The page break is tested after each row, so a row that
// ends exactly at the bottom leaves an empty last page. No rows: no pages.
std::vector<PrintPage> LayoutPrint(const std::vector<search::ResultRow>& rows,
                                   const PrintMetrics& metrics);

// The printer as the print job sees it. The program draws on the printer's device context;
// tests stand in for it.
class PrintDevice {
 public:
  virtual ~PrintDevice() = default;
  virtual bool StartJob(const std::string& documentName) = 0;
  // Selects the print font; the page size and the height of "A" in that font.
  virtual PrintMetrics Prepare() = 0;
  virtual bool StartPage() = 0;
  virtual void Text(int x, int y, const std::string& utf8) = 0;
  virtual bool EndPage() = 0;
  virtual bool EndJob() = 0;
  // Throws away a job that was started; nothing half-printed stays queued.
  virtual void AbortJob() = 0;
};

// Asked before each page with its number (from 1) and the page count; false cancels the job.
using PrintPageStart = std::function<bool(size_t page, size_t pages)>;

// Prints every row as laid out. Empty on success and when `pageStart` cancelled the job;
// otherwise what failed. A job that did not end is aborted: nothing of it stays queued.
std::string RunPrintJob(PrintDevice& device, const std::vector<search::ResultRow>& rows,
                        const PrintPageStart& pageStart = {});

}  // namespace quillow::output
