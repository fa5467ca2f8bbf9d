#include "app/result_printer.h"

#include <memory>
#include <string>

#include "app/print_progress.h"

namespace quillow::app {

namespace {

constexpr char kNoPrinter[] =
    "The print job could not start: no printer is installed. Install a printer, then print "
    "again.";

}  // namespace

ResultPrinter::ResultPrinter(output::Printers* printers, ui::MessageBoxes& messages)
    : printers_(printers ? *printers : systemPrinters_), messages_(messages) {}

void ResultPrinter::Print(HWND owner, int dpi, HFONT font,
                          const std::vector<search::ResultRow>& rows) {
  if (messages_.Show(owner, output::kPrintQuestion, "", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  HDC dc = printers_.CreatePrinterDC();
  if (!dc) {
    messages_.Show(owner, kNoPrinter, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  std::string error;
  {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    // A job of more than one page shows how far it is and can be cancelled.
    std::unique_ptr<PrintProgress> progress;
    auto pageStart = [&](size_t page, size_t pages) {
      if (pages < 2) return true;
      if (!progress) progress = std::make_unique<PrintProgress>(owner, dpi, font);
      return progress->Page(page, pages);
    };
    std::unique_ptr<output::PrintDevice> device = printers_.MakeDevice(dc);
    error = output::RunPrintJob(*device, rows, pageStart);
    device.reset();
    progress.reset();
    SetCursor(old);
  }
  DeleteDC(dc);
  if (!error.empty()) messages_.Show(owner, error, "Error", MB_OK | MB_ICONERROR);
}

void ResultPrinter::Setup(HWND owner) { printers_.Setup(owner); }

}  // namespace quillow::app
