// The main window's look at any resolution: where its controls lie, their font and the
// "Begin Search" glyph, all designed for 96 dots per inch and scaled to the window's.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"
#include "ui/controls/button.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/label.h"
#include "ui/controls/list_view.h"
#include "ui/controls/panel.h"
#include "ui/controls/status_bar.h"

namespace quillow::app {

// The window's controls, by their names.
struct FormControls {
  ui::Panel& Panel1;
  ui::Label& Label1;
  ui::ComboBox& Files;
  ui::Label& Label2;
  ui::ComboBox& Folder;
  ui::Button& BeginSearch;
  ui::Button& Button1;
  ui::ListView& Results;
  ui::StatusBar& StatusBar1;
};

class FormLayout {
 public:
  explicit FormLayout(FormControls controls) : c_(controls) {}
  FormLayout(const FormLayout&) = delete;
  FormLayout& operator=(const FormLayout&) = delete;

  // The window's resolution, taken when the window is made.
  void SetDpi(int dpi) { dpi_ = dpi; }
  int Dpi() const { return dpi_; }
  int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
  HFONT Font() const { return font_.get(); }

  // Every control takes the font for the resolution, the status panels their widths.
  void ApplyFont();
  // The glyph of "Begin Search", drawn for the resolution.
  void LoadGlyph();
  // Places the controls in `window`'s client area.
  void Layout(HWND window);
  // A new resolution: the list's columns keep their share of the screen, and font and
  // glyph are made again. The window's own size and the places are the caller's.
  void ChangeDpi(int dpi);

 private:
  FormControls c_;
  int dpi_ = 96;
  platform::UniqueFont font_;
  platform::UniqueBitmap glyph_;
};

}  // namespace quillow::app
