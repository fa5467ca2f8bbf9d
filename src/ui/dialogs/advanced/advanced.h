// "Advanced Options": the sources a search looks into and the options of saved results.
// The form edits copies; the settings change only when "OK" passes its check.
#pragma once

#include <array>
#include <cstdint>

#include "settings/settings.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/group_box.h"
#include "ui/controls/static_text.h"
#include "ui/dialogs/advanced/color_picker.h"
#include "ui/dialogs/dialog_form.h"

namespace quillow::ui {

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
  void SetSettings(settings::AppSettings* settings) { settings_ = settings; }
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
  GroupBox GroupBox1;
  CheckBox SelectAll;
  CheckBox ACE, ARC, ARJ, CAB, GRP, HYP, LZH;
  CheckBox PAK, RAR, SQZ, TAR, WAD, ZIP, ZOO;
  CheckBox SevenZip;  // "7Z": no C++ name begins with a digit
  CheckBox Folders;
  CheckBox ZipCentralDirectory;  // how the ZIP pass reads, and which names it opens
  Button Button1;
  Button Button2;
  GroupBox GroupBox2;
  GroupBox GroupBox3;
  ComboBox ComboBox1;
  Static Shape1;
  Button Select;
  CheckBox CheckBox2, CheckBox3;
  GroupBox GroupBox4;
  CheckBox CheckBox4, CheckBox5, CheckBox7, CheckBox6;
  CheckBox CheckBox8;
  Static Label1;
  CheckBox CheckBox1;

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

  settings::AppSettings* settings_ = nullptr;
  ColorPicker* picker_ = nullptr;
  SystemColorPicker systemPicker_;
  // The fifteen type boxes in the index order of the archive-type set.
  std::array<CheckBox*, search::kTypeCount> typeBoxes_{};
  std::array<uint32_t, kHtmlColorCount> working_{};
  uint32_t swatch_ = 0;
};

}  // namespace quillow::ui
