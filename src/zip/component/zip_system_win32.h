// The ZIP component's system on Windows: the wide file functions, libraries loaded with the
// system's error boxes off, the hourglass and the message pump. Messages and the password
// prompt are the window's: it hands them in.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "zip/component/zip_component.h"

namespace quillow::zip {

// What the component asks of its user.
struct ZipPrompts {
  std::function<void(const std::string& text)> showMessage;
  // The password typed, or empty when the user cancelled.
  std::function<std::string(const std::string& prompt)> askPassword;
};

class Win32ZipSystem : public ZipSystem {
 public:
  explicit Win32ZipSystem(ZipPrompts prompts);

  void ShowMessage(const std::string& text) override;
  std::string InputPassword(const std::string& prompt) override;
  bool FileExists(const std::string& path) override;
  bool EnterFolder(const std::string& folder) override;
  std::unique_ptr<LoadedLibrary> OpenLibrary(const std::string& path) override;
  void BeginBusy() override;
  void EndBusy() override;
  void PumpMessages() override;

 private:
  ZipPrompts prompts_;
  int busy_ = 0;
  HCURSOR before_ = nullptr;
};

}  // namespace quillow::zip
