// A single-line edit box.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/controls/control.h"

namespace quillow::ui {

class Edit : public Control {
 public:
  // `style`: extra edit styles, such as ES_PASSWORD or ES_NUMBER.
  void Create(HWND parent, int id, const std::string& text = {}, DWORD style = 0) {
    CreateChild(WC_EDITW, text, ES_AUTOHSCROLL | WS_TABSTOP | style, WS_EX_CLIENTEDGE, parent, id);
  }
  // At most `characters` can be typed (0: the system's limit).
  void SetLimit(int characters) {
    SendMessageW(hwnd_, EM_SETLIMITTEXT, static_cast<WPARAM>(characters), 0);
  }
  void SelectAll() { SendMessageW(hwnd_, EM_SETSEL, 0, -1); }
  void SetReadOnly(bool on) { SendMessageW(hwnd_, EM_SETREADONLY, on ? TRUE : FALSE, 0); }
};

}  // namespace quillow::ui
