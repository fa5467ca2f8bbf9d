// A dialog form: created once, hidden, at start-up and shown modally when asked for. The
// controls are made in code in OnInit, in pixels at 96 dots per inch, and placed in
// OnLayout, which runs again whenever the form moves to a monitor of another resolution.
// WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and WM_CTLCOLOR* reach virtual handlers; no exception
// leaves the dialog procedure.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "platform/win32/handles.h"
#include "ui/controls/control.h"
#include "ui/services.h"

namespace quillow::ui {

struct FormLayout {
  std::string caption;
  int clientWidth = 0;  // pixels at 96 dots per inch
  int clientHeight = 0;
  bool toolWindow = false;     // tool-window border
  bool titleButtons = true;    // the close box
  bool centreOnScreen = true;  // else centred over the owner
  // Enter and Escape where no button of the form takes them: accept and cancel the form.
  bool enterAccepts = true;
  bool escapeCancels = true;
};

class DialogForm {
 public:
  explicit DialogForm(FormLayout layout);
  virtual ~DialogForm();
  DialogForm(const DialogForm&) = delete;
  DialogForm& operator=(const DialogForm&) = delete;

  // Makes the hidden window, owned by `owner`, and its controls.
  bool Create(HWND owner);
  // Shows the form with its owner disabled until it closes; returns the modal result
  // (IDOK when accepted, IDCANCEL when cancelled).
  int ShowModal();
  // Ends the modal loop with `result` (the form is then hidden).
  void Close(int result);
  // "OK": closes with IDOK when OnOK agrees; otherwise the form stays open.
  void Accept();
  // "Cancel": OnCancel, then closes with IDCANCEL.
  void Cancel();

  // Message boxes go through `messages` (tests answer them); null: the system's.
  void SetMessageBoxes(MessageBoxes* messages) { messages_ = messages; }

  HWND Handle() const { return hwnd_; }
  bool Showing() const { return showing_; }
  const FormLayout& Layout() const { return layout_; }
  int Dpi() const { return dpi_; }

 protected:
  // Makes the controls (the form font is applied to all of them afterwards).
  virtual void OnInit() {}
  // Places the controls; Scale() gives the form's pixels. Also where a form makes the
  // fonts of its own that depend on the resolution.
  virtual void OnLayout() {}
  // Runs each time the form is about to show.
  virtual void OnShow() {}
  // False keeps the form open (the form has told the user why).
  virtual bool OnOK() { return true; }
  virtual void OnCancel() {}
  // True when the command was handled.
  virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
  // The notification's result, or nothing when it is not handled.
  virtual std::optional<LRESULT> OnNotify(NMHDR& /*header*/) { return std::nullopt; }
  // True when the item was drawn.
  virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // The brush for a control's background (WM_CTLCOLORSTATIC and its kin), or null for the
  // system's.
  virtual HBRUSH OnControlColor(UINT /*msg*/, HDC /*dc*/, HWND /*control*/) { return nullptr; }
  // Any other message (WM_SETCURSOR, a timer, ...): its result, or nothing when the form
  // leaves it to the system.
  virtual std::optional<LRESULT> OnMessage(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/) {
    return std::nullopt;
  }

  // Pixels at 96 dots per inch to this form's pixels.
  int Scale(int pixels) const;
  // Where a control stands in its parent, in pixels at 96 dots per inch.
  struct Place {
    Control& control;
    int x, y, width, height;
  };
  // Moves each control to its place, scaled to this form's pixels.
  void PlaceControls(std::initializer_list<Place> places) const;
  HFONT Font() const { return font_.get(); }
  int ShowMessage(const std::string& text, const std::string& title, UINT type);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  bool HandleCommand(int id, int code, HWND control);
  void ApplyFont();
  void PlaceWindow();
  void OnDpiChanged(int dpi, const RECT& suggested);

  FormLayout layout_;
  MessageBoxes* messages_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  platform::UniqueFont font_;
  int dpi_ = 96;
  int modalResult_ = 0;
  bool showing_ = false;
};

}  // namespace quillow::ui
