// No exception crosses a callback that the system calls (a window or dialog procedure, a
// subclass, a shell dialog's callback): what escapes is shown as the application's standard
// exception message and the program goes on.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace quillow::ui {

// Shows a message about an exception that escaped a callback, over `owner`.
using ExceptionReporter = std::function<void(HWND owner, const std::string& what)>;
// The program's (or a test's) own reporter; an empty one restores the system message box.
void SetExceptionReporter(ExceptionReporter reporter);
void ReportException(HWND owner, const std::string& what) noexcept;

// Runs `body` and returns its result; an exception is reported instead and `fallback`
// returned.
template <typename R, typename Body>
R Guarded(HWND owner, R fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    ReportException(owner, e.what());
  } catch (...) {
    ReportException(owner, "Unexpected error.");
  }
  return fallback;
}

}  // namespace quillow::ui
