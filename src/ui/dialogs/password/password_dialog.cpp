#include "ui/dialogs/password/password_dialog.h"

#include "platform/win32/text.h"

namespace quillow::ui {

namespace {

// Designed sizes, in pixels at 96 dots per inch.
constexpr int kWidth = 300, kHeight = 108;
constexpr int kMargin = 10, kButtonWidth = 75, kButtonHeight = 23;

}  // namespace

PasswordDialog::PasswordDialog(std::string prompt)
    : DialogForm({kPasswordCaption, kWidth, kHeight, false, true, true}),
      prompt_(std::move(prompt)) {}

std::string PasswordDialog::Ask(HWND owner, const std::string& prompt) {
  PasswordDialog dialog(prompt);
  if (!dialog.Create(owner)) return std::string();
  return dialog.ShowModal() == IDOK ? dialog.answer_ : std::string();
}

void PasswordDialog::OnInit() {
  const HWND form = Handle();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  auto make = [&](const wchar_t* cls, const std::string& text, DWORD style, DWORD exStyle, int x,
                  int y, int w, int h, int id) {
    HWND hwnd =
        CreateWindowExW(exStyle, cls, platform::Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                        Scale(x), Scale(y), Scale(w), Scale(h), form,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
    return hwnd;
  };
  const int inner = kWidth - 2 * kMargin;
  make(L"STATIC", prompt_, SS_LEFT, 0, kMargin, kMargin, inner, 16, -1);
  edit_ = make(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kMargin, 30, inner, 21,
               kPasswordEditId);
  const int buttonsY = kHeight - kMargin - kButtonHeight;
  make(L"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kWidth - kMargin - 2 * kButtonWidth - 6,
       buttonsY, kButtonWidth, kButtonHeight, IDOK);
  make(L"BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, kWidth - kMargin - kButtonWidth,
       buttonsY, kButtonWidth, kButtonHeight, IDCANCEL);
  SetFocus(edit_);
}

bool PasswordDialog::OnCommand(int id, int /*code*/, HWND /*control*/) {
  // Read once, when confirmed; the base ends the modal loop.
  if (id == IDOK) {
    const int length = GetWindowTextLengthW(edit_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit_, text.data(), length + 1)));
    answer_ = platform::Narrow(text);
  }
  return false;
}

}  // namespace quillow::ui
