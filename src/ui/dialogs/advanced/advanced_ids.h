// Control identifiers of "Advanced Options", named after their components. "OK" and
// "Cancel" are no IDOK and IDCANCEL: the form has no default or cancel button, so Enter and
// Escape must not look like a click on either.
#pragma once

namespace quillow::ui::advanced_id {

enum Control : int {
  GroupBox1 = 100,
  SelectAll,
  ACE,
  ARC,
  ARJ,
  CAB,
  GRP,
  HYP,
  LZH,
  PAK,
  RAR,
  SQZ,
  TAR,
  WAD,
  ZIP,
  ZOO,
  SevenZip,  // "7Z"
  Folders,
  Button1,
  Button2,
  GroupBox2,
  GroupBox3,
  ComboBox1,
  Shape1,
  Select,
  CheckBox2,
  CheckBox3,
  GroupBox4,
  CheckBox4,
  CheckBox5,
  CheckBox7,
  CheckBox6,
  CheckBox8,
  Label1,
  CheckBox1,
  ZipCentralDirectory,
};

}  // namespace quillow::ui::advanced_id
