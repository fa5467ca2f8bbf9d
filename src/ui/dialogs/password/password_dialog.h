// The modal "Password" input box: one prompt, one edit showing the text in clear, OK and
// Cancel.
#pragma once

#include <windows.h>

#include <string>

#include "ui/dialogs/dialog_form.h"

namespace quillow::ui {

inline constexpr char kPasswordCaption[] = "Password";
inline constexpr int kPasswordEditId = 101;

class PasswordDialog final : public DialogForm {
 public:
  explicit PasswordDialog(std::string prompt);

  // Shows the box over `owner`; the text typed, or empty when the user cancelled.
  static std::string Ask(HWND owner, const std::string& prompt);

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  std::string prompt_;
  std::string answer_;
  HWND edit_ = nullptr;
};

}  // namespace quillow::ui
