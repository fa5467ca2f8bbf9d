// A dialog form: created once, hidden, at start-up and shown modally when asked for.
// WM_INITDIALOG, WM_COMMAND and WM_NOTIFY reach OnInit, OnCommand and OnNotify; "OK",
// "Cancel", Escape and the close box end the modal loop.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace quillow::dialogs {

struct FormLayout {
  std::string caption;
  int clientWidth = 0;   // pixels at 96 dots per inch
  int clientHeight = 0;
  bool toolWindow = false;      // tool-window border
  bool titleButtons = true;     // the close box
  bool centreOnScreen = true;  // else centred over the owner
};

class DialogForm {
 public:
  explicit DialogForm(FormLayout layout);
  virtual ~DialogForm();
  DialogForm(const DialogForm&) = delete;
  DialogForm& operator=(const DialogForm&) = delete;

  // Makes the hidden window, owned by `owner`.
  bool Create(HWND owner);
  // Shows the form with its owner disabled until Close(); returns the modal result.
  int ShowModal();
  // Ends the modal loop with `result` (the form is then hidden).
  void Close(int result);

  HWND Handle() const { return hwnd_; }
  bool Showing() const { return showing_; }
  const FormLayout& Layout() const { return layout_; }

 protected:
  virtual void OnInit() {}
  // True when the command was handled.
  virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
  virtual bool OnNotify(NMHDR* /*header*/) { return false; }
  // Pixels at 96 dots per inch to this form's pixels.
  int Scale(int pixels) const;
  HFONT Font() const { return font_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void PlaceWindow();

  FormLayout layout_;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  int modalResult_ = 0;
  bool showing_ = false;
};

// "MS Sans Serif" 8 point at the given resolution; the caller owns it.
HFONT CreateFormFont(int dpi);
// The resolution of a window's monitor, or of the screen where the system cannot say.
int WindowDpi(HWND hwnd);

}  // namespace quillow::dialogs
