// The ZIP component's system on Windows: the application's message box, the "Password"
// box, the wide file functions, libraries loaded with the system's error boxes off, the
// hourglass and the message pump.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/services.h"
#include "zip/component/zip_component.h"

namespace quillow::zip {

class Win32ZipSystem : public ZipSystem {
 public:
  // Message boxes go through `boxes`, owned by `owner`, titled `title`.
  Win32ZipSystem(app::MessageBoxes& boxes, HWND owner, std::string title);

  void ShowMessage(const std::string& text) override;
  std::string InputPassword(const std::string& prompt) override;
  bool FileExists(const std::string& path) override;
  bool EnterFolder(const std::string& folder) override;
  std::unique_ptr<LoadedLibrary> OpenLibrary(const std::string& path) override;
  void BeginBusy() override;
  void EndBusy() override;
  void PumpMessages() override;

 private:
  app::MessageBoxes& boxes_;
  HWND owner_;
  std::string title_;
  int busy_ = 0;
  HCURSOR before_ = nullptr;
};

// The component a window owns, with its messages in that window's boxes.
std::unique_ptr<TZipComponent> MakeZipComponent(app::MessageBoxes& boxes, HWND owner,
                                                const std::string& title);

}  // namespace quillow::zip
