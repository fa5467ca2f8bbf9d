#include "output/print_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <string>

#include "platform/win32/text.h"

namespace quillow::output {

std::unique_ptr<PrintDevice> Printers::MakeDevice(HDC dc) {
  return std::make_unique<GdiPrintDevice>(dc);
}

SystemPrinters::~SystemPrinters() {
  if (devMode_) GlobalFree(devMode_);
  if (devNames_) GlobalFree(devNames_);
}

void SystemPrinters::Setup(HWND owner) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.hDevMode = devMode_;
  dialog.hDevNames = devNames_;
  dialog.Flags = PD_PRINTSETUP;
  // On Cancel the dialog may still have replaced the handles it was given.
  PrintDlgW(&dialog);
  devMode_ = dialog.hDevMode;
  devNames_ = dialog.hDevNames;
}

HDC SystemPrinters::CreatePrinterDC() {
  if (!devNames_) {
    // No choice yet: the system's default printer, asked for afresh on every print so that
    // a printer installed meanwhile is found.
    PRINTDLGW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgW(&dialog)) return nullptr;
    if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
    return dialog.hDC;
  }
  const auto* names = static_cast<const DEVNAMES*>(GlobalLock(devNames_));
  if (!names) return nullptr;
  const auto* base = reinterpret_cast<const wchar_t*>(names);
  const std::wstring driver = base + names->wDriverOffset;
  const std::wstring device = base + names->wDeviceOffset;
  GlobalUnlock(devNames_);
  const auto* mode = devMode_ ? static_cast<const DEVMODEW*>(GlobalLock(devMode_)) : nullptr;
  HDC dc = CreateDCW(driver.c_str(), device.c_str(), nullptr, mode);
  if (mode) GlobalUnlock(devMode_);
  return dc;
}

HFONT CreatePrintFont(HDC dc) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(kPrintFontPoints, GetDeviceCaps(dc, LOGPIXELSY), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  // By name and by pitch: the dot leader only lines up in a fixed-pitch face.
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  const std::wstring face = platform::Widen(kPrintFontName);
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

GdiPrintDevice::~GdiPrintDevice() {
  if (jobOpen_) AbortDoc(dc_);
  if (oldFont_) SelectObject(dc_, oldFont_);
  if (font_) DeleteObject(font_);
}

bool GdiPrintDevice::StartJob(const std::string& documentName) {
  const std::wstring name = platform::Widen(documentName);
  DOCINFOW info{};
  info.cbSize = sizeof(info);
  info.lpszDocName = name.c_str();
  jobOpen_ = StartDocW(dc_, &info) > 0;
  return jobOpen_;
}

PrintMetrics GdiPrintDevice::Prepare() {
  if (!font_) {
    font_ = CreatePrintFont(dc_);
    if (font_) oldFont_ = SelectObject(dc_, font_);
  }
  SetBkMode(dc_, TRANSPARENT);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  PrintMetrics metrics;
  metrics.pageWidth = GetDeviceCaps(dc_, HORZRES);
  metrics.pageHeight = GetDeviceCaps(dc_, VERTRES);
  SIZE a{};
  if (GetTextExtentPoint32W(dc_, L"A", 1, &a)) metrics.lineHeight = a.cy;
  return metrics;
}

bool GdiPrintDevice::StartPage() {
  if (::StartPage(dc_) <= 0) return false;
  // Some drivers reset the device context's objects at every page.
  if (font_) SelectObject(dc_, font_);
  SetBkMode(dc_, TRANSPARENT);
  return true;
}

void GdiPrintDevice::Text(int x, int y, const std::string& utf8) {
  const std::wstring text = platform::Widen(utf8);
  // One run; a line wider than the page runs off its edge. GDI counts in int.
  TextOutW(dc_, x, y, text.c_str(), static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFFF)));
}

bool GdiPrintDevice::EndPage() { return ::EndPage(dc_) > 0; }

bool GdiPrintDevice::EndJob() {
  const bool ended = EndDoc(dc_) > 0;
  if (ended) jobOpen_ = false;
  return ended;
}

void GdiPrintDevice::AbortJob() {
  if (jobOpen_) AbortDoc(dc_);
  jobOpen_ = false;
}

}  // namespace quillow::output
