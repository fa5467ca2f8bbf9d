#include "ui/dialogs/about/about.h"

#include "platform/win32/shell.h"
#include "platform/win32/text.h"
#include "ui/dialogs/about/about_ids.h"
#include "ui/dialogs/about/contact.h"

namespace quillow::ui {

namespace id = about_id;

namespace {

constexpr COLORREF kOrange = 33023;  // red 255, green 128, blue 0
constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);
constexpr COLORREF kUsedLinkRed = 255;
constexpr COLORREF kDecoFace = RGB(0, 0, 128);
constexpr COLORREF kDecoShadow = RGB(128, 128, 128);
constexpr int kShadowLength = 3;

platform::UniqueFont MakeFont(int height, int weight, bool underline, const wchar_t* face) {
  return platform::UniqueFont(CreateFontW(-height, 0, 0, 0, weight, FALSE, underline, FALSE,
                                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                          ANTIALIASED_QUALITY, DEFAULT_PITCH, face));
}

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

std::string VersionText() { return std::string("Version ") + QUILLOW_VERSION_SHORT; }

TAboutBox::TAboutBox(int iconId)
    : DialogForm({.caption = "About Quillow",
                  .clientWidth = 359,
                  .clientHeight = 216,
                  .titleButtons = false}),
      Gradient1{.bevel = BDR_RAISEDINNER | BDR_SUNKENOUTER,
                .gradient = true,
                .gradientTop = kOrange,
                .gradientBottom = kLime},
      iconId_(iconId),
      emailColor_(kLinkBlue),
      homepageColor_(kLinkBlue) {}

void TAboutBox::OnInit() {
  const HWND form = Handle();
  Panel1.Create(form, id::Panel1, Gradient1);
  const HWND panel = Panel1.Handle();
  ProgramIcon.Create(panel, id::ProgramIcon, "", SS_OWNERDRAW);
  DecoLabel1.Create(panel, id::DecoLabel1, "Quillow", SS_OWNERDRAW);
  DecoLabel3.Create(panel, id::DecoLabel3, "for Windows 95", SS_OWNERDRAW);
  DecoLabel2.Create(panel, id::DecoLabel2, VersionText(), SS_OWNERDRAW);
  Notice.Create(panel, id::Notice, kNoticeLine);
  Label1.Create(panel, id::Label1, "E-Mail:");
  EMail.Create(panel, id::EMail, kEMailAddress, SS_LEFT | SS_NOPREFIX | SS_NOTIFY);
  Comments.Create(panel, id::Comments, "Home page:");
  Homepage.Create(panel, id::Homepage, kHomePage, SS_LEFT | SS_NOPREFIX | SS_NOTIFY);
  Label2.Create(panel, id::Label2, "Bug reports, questions, comments and suggestions are welcome.");
  Button1.Create(panel, id::Button1, "Additional credits");
  OKButton.Create(form, id::OKButton, "OK");
  SendMessageW(form, DM_SETDEFID, id::OKButton, 0);
}

void TAboutBox::OnLayout() {
  // Pixels at 96 dots per inch; the panel's controls in the panel's own coordinates.
  PlaceControls({
      {Panel1, 8, 8, 343, 167},
      {ProgramIcon, 14, 12, 33, 33},
      {DecoLabel1, 54, 6, 136, 42},
      {DecoLabel3, 197, 10, 141, 21},
      {DecoLabel2, 197, 30, 141, 21},
      {Notice, 14, 54, 316, 13},
      {Label1, 14, 74, 70, 13},
      {EMail, 86, 74, 150, 13},
      {Comments, 14, 90, 70, 13},
      {Homepage, 86, 90, 240, 13},
      {Label2, 14, 108, 316, 26},  // room for a second line where the font runs wide
      {Button1, 14, 138, 110, 23},
      {OKButton, 142, 183, 75, 25},
  });

  titleFont_ = MakeFont(Scale(32), FW_BOLD, false, L"Arial");
  captionFont_ = MakeFont(Scale(16), FW_BOLD, false, L"Times New Roman");
  linkFont_ = MakeFont(MulDiv(8, Dpi(), 72), FW_NORMAL, true, L"MS Sans Serif");
  EMail.SetFont(linkFont_.get());
  Homepage.SetFont(linkFont_.get());
  // The icon is drawn stretched to the box it has at this resolution.
  icon_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId_),
                                            IMAGE_ICON, Scale(33), Scale(33), 0)));
  InvalidateRect(Panel1.Handle(), nullptr, TRUE);
}

bool TAboutBox::OnCommand(int commandId, int code, HWND) {
  switch (commandId) {
    case id::EMail:
      if (code == STN_CLICKED) EMailClick();
      return true;
    case id::Homepage:
      if (code == STN_CLICKED) HomepageClick();
      return true;
    case id::Button1:
      if (code == BN_CLICKED) Button1Click();
      return true;
    case id::OKButton:
      if (code == BN_CLICKED) OKButtonClick();
      return true;
  }
  return false;
}

void TAboutBox::OpenLink(Static& link, COLORREF& colour, const std::string& target) {
  colour = kUsedLinkRed;
  // The label draws on the panel's gradient: the panel repaints beneath it first.
  const RECT r = RectInParent(link.Handle());
  RedrawWindow(Panel1.Handle(), &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  // A missing mail program or browser says so itself; the answer is not looked at.
  if (shell_)
    shell_->Open(Handle(), target, SW_SHOWNORMAL);
  else
    platform::ShellOpen(Handle(), target, SW_SHOWNORMAL);
}

void TAboutBox::HomepageClick() { OpenLink(Homepage, homepageColor_, Homepage.Text()); }

void TAboutBox::EMailClick() {
  OpenLink(EMail, emailColor_, std::string("mailto:") + kEMailAddress);
}

void TAboutBox::Button1Click() { ShowMessage(kCreditsText, kCreditsTitle, MB_OK); }

HBRUSH TAboutBox::OnControlColor(UINT msg, HDC dc, HWND control) {
  if (msg != WM_CTLCOLORSTATIC || GetParent(control) != Panel1.Handle()) return nullptr;
  // Texts on the gradient: no background of their own.
  SetBkMode(dc, TRANSPARENT);
  COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  if (control == EMail.Handle()) text = emailColor_;
  if (control == Homepage.Handle()) text = homepageColor_;
  SetTextColor(dc, text);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

std::optional<LRESULT> TAboutBox::OnMessage(UINT msg, WPARAM wp, LPARAM) {
  const HWND over = reinterpret_cast<HWND>(wp);
  if (msg == WM_SETCURSOR && (over == EMail.Handle() || over == Homepage.Handle())) {
    SetCursor(LoadCursorW(nullptr, IDC_CROSS));
    return TRUE;
  }
  return std::nullopt;
}

void TAboutBox::PaintBehind(HDC dc, HWND control, const RECT& area) {
  RECT panel{};
  GetClientRect(Panel1.Handle(), &panel);
  const RECT at = RectInParent(control);
  PaintGradient(dc, area, at.top + area.top, panel.bottom, Gradient1.gradientTop,
                Gradient1.gradientBottom);
}

bool TAboutBox::OnDrawItem(const DRAWITEMSTRUCT& item) {
  switch (static_cast<int>(item.CtlID)) {
    case id::ProgramIcon: DrawIcon(item); return true;
    case id::DecoLabel1: DrawDecoLabel(item, titleFont_.get()); return true;
    case id::DecoLabel2:
    case id::DecoLabel3: DrawDecoLabel(item, captionFont_.get()); return true;
  }
  return false;
}

void TAboutBox::DrawIcon(const DRAWITEMSTRUCT& item) {
  PaintBehind(item.hDC, item.hwndItem, item.rcItem);
  if (icon_)
    DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon_.get(),
               item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top, 0,
               nullptr, DI_NORMAL);
}

void TAboutBox::DrawDecoLabel(const DRAWITEMSTRUCT& item, HFONT font) {
  HDC dc = item.hDC;
  PaintBehind(dc, item.hwndItem, item.rcItem);
  const std::wstring text = platform::Widen(WindowText(item.hwndItem));
  const int length = static_cast<int>(text.size());
  const HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  // Raised: a light edge above and left of the letters, a grey shadow falling 3 pixels
  // below and right of them.
  const int x = item.rcItem.left + 1, y = item.rcItem.top + 1;
  SetTextColor(dc, kDecoShadow);
  for (int step = kShadowLength; step >= 1; --step)
    TextOutW(dc, x + Scale(step), y + Scale(step), text.c_str(), length);
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutW(dc, x - 1, y - 1, text.c_str(), length);
  SetTextColor(dc, kDecoFace);
  TextOutW(dc, x, y, text.c_str(), length);
  SelectObject(dc, oldFont);
}

}  // namespace quillow::ui
