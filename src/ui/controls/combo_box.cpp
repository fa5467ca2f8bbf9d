#include "ui/controls/combo_box.h"

#include <commctrl.h>

#include "platform/win32/text.h"

namespace quillow::ui {

void ComboBox::Create(HWND parent, int id) {
  // The height covers the drop-down list; the edit part sizes itself from the font.
  CreateChild(WC_COMBOBOXW, "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, parent,
              id);
}

int ComboBox::Count() const {
  const LRESULT n = SendMessageW(hwnd_, CB_GETCOUNT, 0, 0);
  return n == CB_ERR ? 0 : static_cast<int>(n);
}

std::string ComboBox::ItemText(int index) const {
  const LRESULT n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n == CB_ERR || n <= 0) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const LRESULT got = SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
  return platform::Narrow(text);
}

void ComboBox::InsertItem(int index, const std::string& text) {
  const std::wstring wide = platform::Widen(text);
  SendMessageW(hwnd_, CB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(wide.c_str()));
}

void ComboBox::AddItem(const std::string& text) { InsertItem(-1, text); }

void ComboBox::DeleteItem(int index) {
  SendMessageW(hwnd_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

std::string ComboBox::SelectedOrEditText() const {
  const LRESULT sel = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
  if (sel == CB_ERR) return Text();
  return ItemText(static_cast<int>(sel));
}

HWND ComboBox::EditHandle() const {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!GetComboBoxInfo(hwnd_, &info)) return nullptr;
  return info.hwndItem;
}

}  // namespace quillow::ui
