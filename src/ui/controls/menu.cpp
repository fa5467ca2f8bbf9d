#include "ui/controls/menu.h"

#include "platform/win32/text.h"

namespace quillow::ui {

Menu Menu::Bar() { return Menu(CreateMenu()); }
Menu Menu::Popup() { return Menu(CreatePopupMenu()); }

Menu& Menu::Add(int id, const std::string& caption) {
  AppendMenuW(menu_.get(), MF_STRING, static_cast<UINT_PTR>(id), platform::Widen(caption).c_str());
  return *this;
}

Menu& Menu::AddSeparator() {
  AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr);
  return *this;
}

Menu& Menu::AddSubmenu(const std::string& caption, Menu&& submenu) {
  // The submenu now belongs to this menu, which destroys it with itself.
  AppendMenuW(menu_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.Release().release()),
              platform::Widen(caption).c_str());
  return *this;
}

void EnableMenuCommand(HMENU menu, int id, bool on) {
  EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

bool MenuCommandEnabled(HMENU menu, int id) {
  const UINT state = GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

void CheckMenuCommand(HMENU menu, int id, bool on) {
  CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool MenuCommandChecked(HMENU menu, int id) {
  const UINT state = GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

std::string MenuItemCaption(HMENU menu, UINT item, bool byPosition) {
  wchar_t text[256] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;
  info.dwTypeData = text;
  info.cch = 255;
  if (!GetMenuItemInfoW(menu, item, byPosition ? TRUE : FALSE, &info)) return {};
  return platform::Narrow(text);
}

}  // namespace quillow::ui
