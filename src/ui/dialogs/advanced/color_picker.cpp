#include "ui/dialogs/advanced/color_picker.h"

#include <commdlg.h>

namespace quillow::ui {

bool SystemColorPicker::Execute(HWND owner, uint32_t& color) {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = owner;
  choose.rgbResult = color;
  choose.lpCustColors = custom_.data();
  choose.Flags = CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorW(&choose)) return false;
  color = choose.rgbResult;
  return true;
}

}  // namespace quillow::ui
