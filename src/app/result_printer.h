// "Print Results" and "Printer Setup...": the rows printed on the chosen printer, with a
// progress window that can cancel a job of several pages.
#pragma once

#include <windows.h>

#include <vector>

#include "output/print_win32.h"
#include "search/types.h"
#include "ui/services.h"

namespace quillow::app {

class ResultPrinter {
 public:
  // `printers` null: the system's own.
  ResultPrinter(output::Printers* printers, ui::MessageBoxes& messages);
  ResultPrinter(const ResultPrinter&) = delete;
  ResultPrinter& operator=(const ResultPrinter&) = delete;

  // Asks first, then prints `rows`; the progress window takes `owner`'s resolution and font.
  void Print(HWND owner, int dpi, HFONT font, const std::vector<search::ResultRow>& rows);
  void Setup(HWND owner);

 private:
  output::SystemPrinters systemPrinters_;
  output::Printers& printers_;
  ui::MessageBoxes& messages_;
};

}  // namespace quillow::app
