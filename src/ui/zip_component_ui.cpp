#include "ui/zip_component_ui.h"

#include "ui/dialogs/password/password_dialog.h"
#include "zip/component/zip_system_win32.h"

namespace quillow::ui {

std::unique_ptr<zip::TZipComponent> MakeZipComponent(MessageBoxes& boxes, HWND owner,
                                                     const std::string& title) {
  zip::ZipPrompts prompts;
  prompts.showMessage = [&boxes, owner, title](const std::string& text) {
    boxes.Show(owner, text, title, MB_OK);
  };
  prompts.askPassword = [owner](const std::string& prompt) {
    return PasswordDialog::Ask(owner, prompt);
  };
  return std::make_unique<zip::TZipComponent>(
      std::make_unique<zip::Win32ZipSystem>(std::move(prompts)), owner);
}

}  // namespace quillow::ui
