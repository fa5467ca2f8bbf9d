// "Advanced Options": the sources a search looks into and the options of saved results.
// The form edits copies; the settings change only when "OK" passes its check.
#pragma once

#include <array>
#include <cstdint>

#include "app/controls/button.h"
#include "app/controls/check_box.h"
#include "app/controls/combo_box.h"
#include "app/controls/group_box.h"
#include "app/controls/static_text.h"
#include "dialogs/advanced/color_picker.h"
#include "dialogs/dialog_form.h"
#include "settings/settings.h"

namespace quillow::dialogs {

inline constexpr char kNoArchiveTypeText[] = "You must select at least one archive type.";

// The five colours of the combo box, in its order, and the capital letter that names each.
enum HtmlColorEntry : int {
  kBackgroundColor,
  kTextColor,
  kLinkColor,
  kVisitedLinkColor,
  kActiveLinkColor
};
inline constexpr int kHtmlColorCount = 5;

class TAdvancedOptions : public DialogForm {
 public:
  TAdvancedOptions();

  // The settings the form shows and, on "OK", changes. Null: the form edits nothing.
  void SetSettings(AppSettings* settings) { settings_ = settings; }
  // Null: the system's colour dialog.
  void SetColorPicker(ColorPicker* picker) { picker_ = picker; }

  // Event handlers.
  void FormShow();
  void SelectAllClick();
  void ComboBox1Change();
  void SelectClick();
  void Button1Click();
  void Button2Click();

  // What the swatch shows, and the working colour of each combo entry.
  uint32_t SwatchColor() const { return swatch_; }
  uint32_t WorkingColor(HtmlColorEntry which) const { return working_[which]; }

  // Controls, by component name.
  ui::GroupBox GroupBox1;
  ui::CheckBox SelectAll;
  ui::CheckBox ACE, ARC, ARJ, CAB, GRP, HYP, LZH;
  ui::CheckBox PAK, RAR, SQZ, TAR, WAD, ZIP, ZOO;
  ui::CheckBox SevenZip;  // "7Z": no C++ name begins with a digit
  ui::CheckBox Folders;
  ui::Button Button1;
  ui::Button Button2;
  ui::GroupBox GroupBox2;
  ui::GroupBox GroupBox3;
  ui::ComboBox ComboBox1;
  ui::Static Shape1;
  ui::Button Select;
  ui::CheckBox CheckBox2, CheckBox3;
  ui::GroupBox GroupBox4;
  ui::CheckBox CheckBox4, CheckBox5, CheckBox7, CheckBox6;
  ui::CheckBox CheckBox8;
  ui::Static Label1;
  ui::CheckBox CheckBox1;

 protected:
  void OnInit() override;
  void OnLayout() override;
  void OnShow() override { FormShow(); }
  bool OnOK() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  // The working colour named by the first character of `text`, or null.
  uint32_t* ColorNamedBy(const std::string& text);
  void PaintSwatch(uint32_t color);

  AppSettings* settings_ = nullptr;
  ColorPicker* picker_ = nullptr;
  SystemColorPicker systemPicker_;
  // The fifteen type boxes in the index order of the archive-type set.
  std::array<ui::CheckBox*, kTypeCount> typeBoxes_{};
  std::array<uint32_t, kHtmlColorCount> working_{};
  uint32_t swatch_ = 0;
};

}  // namespace quillow::dialogs
