#include "ui/barrier.h"

#include "platform/win32/text.h"

namespace quillow::ui {

namespace {

ExceptionReporter& Reporter() {
  static ExceptionReporter reporter;
  return reporter;
}

}  // namespace

void SetExceptionReporter(ExceptionReporter reporter) { Reporter() = std::move(reporter); }

void ReportException(HWND owner, const std::string& what) noexcept {
  // The report itself must not throw out of the callback it guards.
  try {
    if (Reporter()) {
      Reporter()(owner, what);
      return;
    }
    MessageBoxW(owner, platform::Widen(what).c_str(), L"Quillow", MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxW(owner, L"Unexpected error.", L"Quillow", MB_OK | MB_ICONERROR);
  }
}

}  // namespace quillow::ui
