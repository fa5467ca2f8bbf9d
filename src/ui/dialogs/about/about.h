// The About box: the program's name and version on a gradient panel, the contact links and
// the credits.
#pragma once

#include <string>

#include "platform/win32/handles.h"
#include "ui/controls/button.h"
#include "ui/controls/panel.h"
#include "ui/controls/static_text.h"
#include "ui/dialogs/dialog_form.h"
#include "ui/services.h"

namespace quillow::ui {

// "Version" and the program's major and minor version.
std::string VersionText();

class TAboutBox : public DialogForm {
 public:
  // `iconId`: the program's icon among its resources.
  explicit TAboutBox(int iconId);

  // Links open through `shell` (tests answer it); null: the system's.
  void SetShell(Shell* shell) { shell_ = shell; }

  // Event handlers.
  void HomepageClick();
  void EMailClick();
  void Button1Click();
  void OKButtonClick() { Close(IDOK); }

  // A link's text colour: blue, red once it has been clicked (for the rest of the run).
  COLORREF EMailColor() const { return emailColor_; }
  COLORREF HomepageColor() const { return homepageColor_; }

  // Controls, by component name; the gradient is the panel's background.
  Panel Panel1;
  const PanelLook Gradient1;
  Static ProgramIcon;
  Static DecoLabel1;
  Static DecoLabel3;
  Static DecoLabel2;
  Static Notice;
  Static Label1;
  Static EMail;
  Static Comments;
  Static Homepage;
  Static Label2;
  Button Button1;
  Button OKButton;

 protected:
  void OnInit() override;
  void OnLayout() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  HBRUSH OnControlColor(UINT msg, HDC dc, HWND control) override;
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OpenLink(Static& link, COLORREF& colour, const std::string& target);
  void DrawDecoLabel(const DRAWITEMSTRUCT& item, HFONT font);
  void DrawIcon(const DRAWITEMSTRUCT& item);
  // Paints the part of the panel's gradient that lies behind a control.
  void PaintBehind(HDC dc, HWND control, const RECT& area);

  int iconId_;
  Shell* shell_ = nullptr;
  COLORREF emailColor_;
  COLORREF homepageColor_;
  platform::UniqueFont titleFont_;    // "Quillow"
  platform::UniqueFont captionFont_;  // the two lines beside it
  platform::UniqueFont linkFont_;
  platform::UniqueIcon icon_;
};

}  // namespace quillow::ui
