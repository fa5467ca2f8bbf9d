// Menus: building a menu tree and reading or changing its items by command identifier.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace quillow::ui {

// Owns its HMENU until Release() hands it to a window (or to a parent menu).
class Menu {
 public:
  static Menu Bar();
  static Menu Popup();
  Menu(Menu&&) noexcept = default;
  Menu& operator=(Menu&&) = delete;

  Menu& Add(int id, const std::string& caption);
  Menu& AddSeparator();
  Menu& AddSubmenu(const std::string& caption, Menu&& submenu);

  HMENU Handle() const { return menu_.get(); }
  // Hands the menu over, for a window's menu bar or a popup menu the caller keeps.
  platform::UniqueMenu Release() { return std::move(menu_); }

 private:
  explicit Menu(HMENU menu) : menu_(menu) {}
  platform::UniqueMenu menu_;
};

void EnableMenuCommand(HMENU menu, int id, bool on);
bool MenuCommandEnabled(HMENU menu, int id);
void CheckMenuCommand(HMENU menu, int id, bool on);
bool MenuCommandChecked(HMENU menu, int id);
// Caption of an item found by command identifier, or by position when `byPosition`.
std::string MenuItemCaption(HMENU menu, UINT item, bool byPosition);

}  // namespace quillow::ui
