#include "ui/dialogs/advanced/advanced.h"

#include "ui/dialogs/advanced/advanced_ids.h"

namespace quillow::ui {

namespace id = advanced_id;

namespace {

constexpr const char* kColorEntries[kHtmlColorCount] = {
    "Background color", "Text color", "Link color", "Visited link color", "Active link color"};
// The letter that names each entry, compared exactly: a text typed by hand names a colour
// only when it begins with the entry's capital.
constexpr char kColorLetters[kHtmlColorCount] = {'B', 'T', 'L', 'V', 'A'};

uint8_t Flag(const CheckBox& box) { return box.Checked() ? 1 : 0; }

}  // namespace

TAdvancedOptions::TAdvancedOptions()
    : DialogForm({.caption = "Advanced Options",
                  .clientWidth = 435,
                  .clientHeight = 326,
                  .toolWindow = true,
                  .enterAccepts = false,
                  .escapeCancels = false}) {}

void TAdvancedOptions::OnInit() {
  const HWND form = Handle();
  GroupBox1.Create(form, id::GroupBox1, "Archive types to look inside");
  SelectAll.Create(form, id::SelectAll, "Select All");
  // The form starts with every type on, as a fresh start has them; from then on the box
  // keeps what the user last made of it.
  SelectAll.SetChecked(true);
  const struct {
    CheckBox& box;
    int id;
    const char* caption;
  } types[] = {
      {ACE, id::ACE, "ACE"},          {ARC, id::ARC, "ARC"}, {ARJ, id::ARJ, "ARJ"},
      {CAB, id::CAB, "CAB"},          {GRP, id::GRP, "GRP"}, {HYP, id::HYP, "HYP"},
      {LZH, id::LZH, "LZH"},          {PAK, id::PAK, "PAK"}, {RAR, id::RAR, "RAR"},
      {SQZ, id::SQZ, "SQZ"},          {TAR, id::TAR, "TAR"}, {WAD, id::WAD, "WAD"},
      {ZIP, id::ZIP, "ZIP"},          {ZOO, id::ZOO, "ZOO"}, {Folders, id::Folders, "File folders"},
      {SevenZip, id::SevenZip, "7Z"},
  };
  for (const auto& type : types) type.box.Create(form, type.id, type.caption);
  ZipCentralDirectory.Create(form, id::ZipCentralDirectory, "Read ZIP central directories");

  GroupBox2.Create(form, id::GroupBox2, "Saving results to disk");
  GroupBox3.Create(form, id::GroupBox3, "HTML options");
  ComboBox1.Create(form, id::ComboBox1);
  for (const char* entry : kColorEntries) ComboBox1.AddItem(entry);
  Shape1.Create(form, id::Shape1, "", SS_OWNERDRAW);
  Select.Create(form, id::Select, "Select...");
  CheckBox2.Create(form, id::CheckBox2, "Create hyperlinks");
  CheckBox3.Create(form, id::CheckBox3, "Display table borders");
  GroupBox4.Create(form, id::GroupBox4, "Include");
  CheckBox4.Create(form, id::CheckBox4, "Date/Time");
  CheckBox5.Create(form, id::CheckBox5, "Original Size");
  CheckBox7.Create(form, id::CheckBox7, "Compression Ratio");
  CheckBox6.Create(form, id::CheckBox6, "Compressed Size");
  CheckBox8.Create(form, id::CheckBox8, "Put tabs in text files rather than spaces");
  Label1.Create(form, id::Label1,
                "(this will make the output ugly, but it is useful when importing results "
                "into a spreadsheet program)");
  CheckBox1.Create(form, id::CheckBox1, "Launch viewer when results are saved to disk");
  Button1.Create(form, id::Button1, "OK");
  Button2.Create(form, id::Button2, "Cancel");
}

void TAdvancedOptions::OnLayout() {
  // Pixels at 96 dots per inch: 8 from the form's edges, 8 inside a group box's frame and
  // 16 below its caption; check boxes 17 high.
  PlaceControls({
      {GroupBox1, 8, 6, 339, 114},
      {SelectAll, 16, 22, 100, 17},
      {ACE, 16, 41, 46, 17},
      {ARC, 62, 41, 46, 17},
      {ARJ, 108, 41, 46, 17},
      {CAB, 154, 41, 46, 17},
      {GRP, 200, 41, 46, 17},
      {HYP, 246, 41, 46, 17},
      {LZH, 292, 41, 46, 17},
      {PAK, 16, 59, 46, 17},
      {RAR, 62, 59, 46, 17},
      {SQZ, 108, 59, 46, 17},
      {TAR, 154, 59, 46, 17},
      {WAD, 200, 59, 46, 17},
      {ZIP, 246, 59, 46, 17},
      {ZOO, 292, 59, 46, 17},
      {Folders, 16, 77, 100, 17},
      // How ZIP archives are read, below the sources, in the same column as "File folders".
      {ZipCentralDirectory, 16, 95, 200, 17},
      {SevenZip, 292, 77, 46, 17},  // the newest type, in the last column under ZOO
      {Button1, 355, 12, 72, 25},
      {Button2, 355, 43, 72, 25},
      {GroupBox2, 8, 124, 419, 196},
      {GroupBox3, 16, 140, 196, 108},
      {ComboBox1, 24, 157, 142, 120},  // the height covers the drop-down list
      {Shape1, 176, 159, 25, 17},
      {Select, 24, 183, 75, 23},
      {CheckBox2, 24, 209, 180, 17},
      {CheckBox3, 24, 226, 180, 17},
      {GroupBox4, 220, 140, 199, 108},
      {CheckBox4, 228, 157, 180, 17},
      {CheckBox5, 228, 179, 180, 17},
      {CheckBox7, 228, 201, 180, 17},
      {CheckBox6, 228, 223, 180, 17},
      {CheckBox8, 16, 254, 400, 17},
      {Label1, 33, 272, 380, 26},
      {CheckBox1, 16, 298, 400, 17},
  });
}

bool TAdvancedOptions::OnCommand(int commandId, int code, HWND) {
  switch (commandId) {
    case id::SelectAll:
      if (code == BN_CLICKED) SelectAllClick();
      return true;
    case id::ComboBox1:
      // A choice from the list and a text typed by hand both change the colour shown. On a
      // choice the edit still shows the old text until this returns: it takes the new one
      // first, so the handler reads the combo's text either way.
      if (code == CBN_SELCHANGE) {
        const int chosen = static_cast<int>(SendMessageW(ComboBox1.Handle(), CB_GETCURSEL, 0, 0));
        if (chosen != CB_ERR) ComboBox1.SetText(ComboBox1.ItemText(chosen));
      }
      if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) ComboBox1Change();
      return true;
    case id::Select:
      if (code == BN_CLICKED) SelectClick();
      return true;
    case id::Button1:
      if (code == BN_CLICKED) Button1Click();
      return true;
    case id::Button2:
      if (code == BN_CLICKED) Button2Click();
      return true;
  }
  return false;
}

void TAdvancedOptions::FormShow() {
  typeBoxes_ = {&ZIP, &RAR, &WAD,     &GRP, &ARJ, &LZH, &ZOO, &TAR,
                &ARC, &PAK, &Folders, &HYP, &SQZ, &CAB, &ACE, &SevenZip};
  if (!settings_) return;
  const settings::AppSettings& s = *settings_;
  for (int i = 0; i < search::kTypeCount; ++i) typeBoxes_[i]->SetChecked(s.ArchiveTypes.on[i] != 0);
  CheckBox1.SetChecked(s.LaunchViewer != 0);
  CheckBox2.SetChecked(s.Html.hyperlinks);
  CheckBox3.SetChecked(s.Html.tableBorders);
  CheckBox4.SetChecked(s.Columns.dateTime);
  CheckBox5.SetChecked(s.Columns.size);
  CheckBox6.SetChecked(s.Columns.packed);
  CheckBox7.SetChecked(s.Columns.ratio);
  CheckBox8.SetChecked(s.SaveTextWithTabs != 0);
  ZipCentralDirectory.SetChecked(s.Options.ZipCentralDirectory != 0);
  working_ = {s.Html.background, s.Html.text, s.Html.link, s.Html.visitedLink, s.Html.activeLink};
  PaintSwatch(working_[kBackgroundColor]);
  ComboBox1.SetText(kColorEntries[kBackgroundColor]);
}

void TAdvancedOptions::SelectAllClick() {
  const bool on = SelectAll.Checked();
  for (CheckBox* box : typeBoxes_)
    if (box) box->SetChecked(on);
}

uint32_t* TAdvancedOptions::ColorNamedBy(const std::string& text) {
  if (text.empty()) return nullptr;
  for (int i = 0; i < kHtmlColorCount; ++i)
    if (text[0] == kColorLetters[i]) return &working_[i];
  return nullptr;
}

void TAdvancedOptions::ComboBox1Change() {
  if (const uint32_t* color = ColorNamedBy(ComboBox1.Text())) PaintSwatch(*color);
}

void TAdvancedOptions::SelectClick() {
  uint32_t color = swatch_;
  (picker_ ? *picker_ : systemPicker_).Execute(Handle(), color);
  // After "Cancel" the dialog still holds the preset: the swatch and the colour stay.
  PaintSwatch(color);
  if (uint32_t* named = ColorNamedBy(ComboBox1.Text())) *named = color;
}

void TAdvancedOptions::Button1Click() { Accept(); }

void TAdvancedOptions::Button2Click() { Cancel(); }

bool TAdvancedOptions::OnOK() {
  bool any = false;
  for (const CheckBox* box : typeBoxes_) any = any || (box && box->Checked());
  if (!any) {
    ShowMessage(kNoArchiveTypeText, "Error", MB_OK);
    return false;
  }
  if (!settings_) return true;
  settings::AppSettings& s = *settings_;
  for (int i = 0; i < search::kTypeCount; ++i) s.ArchiveTypes.on[i] = Flag(*typeBoxes_[i]);
  s.LaunchViewer = Flag(CheckBox1);
  s.Html.hyperlinks = CheckBox2.Checked();
  s.Html.tableBorders = CheckBox3.Checked();
  s.Columns.dateTime = CheckBox4.Checked();
  s.Columns.size = CheckBox5.Checked();
  s.Columns.packed = CheckBox6.Checked();
  s.Columns.ratio = CheckBox7.Checked();
  s.SaveTextWithTabs = Flag(CheckBox8);
  s.Options.ZipCentralDirectory = Flag(ZipCentralDirectory);
  s.Html.background = working_[kBackgroundColor];
  s.Html.text = working_[kTextColor];
  s.Html.link = working_[kLinkColor];
  s.Html.visitedLink = working_[kVisitedLinkColor];
  s.Html.activeLink = working_[kActiveLinkColor];
  return true;
}

void TAdvancedOptions::PaintSwatch(uint32_t color) {
  swatch_ = color;
  if (Shape1.Handle()) InvalidateRect(Shape1.Handle(), nullptr, TRUE);
}

bool TAdvancedOptions::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (static_cast<int>(item.CtlID) != id::Shape1) return false;
  // A rectangle with a black outline, filled with the colour.
  const platform::UniqueBrush fill(CreateSolidBrush(swatch_ & 0x00FFFFFF));
  FillRect(item.hDC, &item.rcItem, fill.get());
  FrameRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  return true;
}

}  // namespace quillow::ui
