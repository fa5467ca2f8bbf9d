// Printing on the system's printers: the printer the next print uses, the standard printer
// setup dialog that chooses it, and the print job drawn with GDI on its device context.
#pragma once

#include <windows.h>

#include <memory>

#include "output/print_layout.h"

namespace quillow::output {

// The printer of the next print. The main window asks this; tests answer it.
class Printers {
 public:
  virtual ~Printers() = default;
  // The standard printer setup dialog; its choice is kept for the next print.
  virtual void Setup(HWND owner) = 0;
  // A device context of the chosen printer (the system's default until one was chosen),
  // owned by the caller; null when no printer is installed.
  virtual HDC CreatePrinterDC() = 0;
  // The job drawn on that device context (GdiPrintDevice).
  virtual std::unique_ptr<PrintDevice> MakeDevice(HDC dc);
};

class SystemPrinters final : public Printers {
 public:
  SystemPrinters() = default;
  ~SystemPrinters() override;
  SystemPrinters(const SystemPrinters&) = delete;
  SystemPrinters& operator=(const SystemPrinters&) = delete;

  void Setup(HWND owner) override;
  HDC CreatePrinterDC() override;

 private:
  // The dialog's DEVMODE and DEVNAMES, handed back to it on its next run.
  HGLOBAL devMode_ = nullptr;
  HGLOBAL devNames_ = nullptr;
};

// The print job on a printer's device context, in "Courier New" 11 point at the printer's
// resolution (any fixed-pitch face where the printer lacks it).
class GdiPrintDevice final : public PrintDevice {
 public:
  explicit GdiPrintDevice(HDC dc) : dc_(dc) {}
  ~GdiPrintDevice() override;
  GdiPrintDevice(const GdiPrintDevice&) = delete;
  GdiPrintDevice& operator=(const GdiPrintDevice&) = delete;

  bool StartJob(const std::string& documentName) override;
  PrintMetrics Prepare() override;
  bool StartPage() override;
  void Text(int x, int y, const std::string& utf8) override;
  bool EndPage() override;
  bool EndJob() override;
  void AbortJob() override;

 private:
  HDC dc_;
  HFONT font_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  bool jobOpen_ = false;
};

// The font every page is printed in, for the device context `dc`; the caller owns it.
HFONT CreatePrintFont(HDC dc);

}  // namespace quillow::output
