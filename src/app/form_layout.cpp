#include "app/form_layout.h"

#include <commctrl.h>

#include <initializer_list>
#include <utility>

#include "app/res/resource.h"
#include "ui/controls/dpi.h"

namespace quillow::app {

namespace {

// Designed sizes, in pixels at 96 dots per inch.
constexpr int kPanelHeight = 57;
constexpr int kGlyphWidth = 32, kGlyphHeight = 16;  // two images side by side

}  // namespace

// The glyph pair is drawn for 96 dots per inch; at any other resolution it is stretched to
// the same size on the screen as the caption beside it. Pixel by pixel: a smoothing stretch
// would blend the transparent colour into the edges, which then show.
void FormLayout::LoadGlyph() {
  glyph_.reset(
      static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_GLYPH),
                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (glyph_ && dpi_ != 96) {
    const int width = Scale(kGlyphWidth), height = Scale(kGlyphHeight);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    platform::UniqueBitmap scaled(
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
    if (scaled && from && to) {
      HGDIOBJ oldFrom = SelectObject(from, glyph_.get()), oldTo = SelectObject(to, scaled.get());
      SetStretchBltMode(to, COLORONCOLOR);
      StretchBlt(to, 0, 0, width, height, from, 0, 0, kGlyphWidth, kGlyphHeight, SRCCOPY);
      SelectObject(from, oldFrom);
      SelectObject(to, oldTo);
      glyph_ = std::move(scaled);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
  }
  c_.BeginSearch.SetGlyph(glyph_.get(), RGB(255, 0, 255));
}

void FormLayout::ApplyFont() {
  // Every control takes the new font before the old one is deleted.
  platform::UniqueFont font = ui::CreateFormFont(dpi_);
  for (ui::Control* c : std::initializer_list<ui::Control*>{
           &c_.Label1, &c_.Files, &c_.Label2, &c_.Folder, &c_.BeginSearch, &c_.Button1, &c_.Results,
           &c_.StatusBar1})
    c->SetFont(font.get());
  font_ = std::move(font);
  c_.StatusBar1.SetPanels({Scale(100), Scale(60)});
}

void FormLayout::Layout(HWND window) {
  if (!c_.Panel1.Handle()) return;
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right - client.left;
  c_.Panel1.Move(0, 0, width, Scale(kPanelHeight));
  c_.Label1.Move(Scale(8), Scale(8), Scale(86), Scale(13));
  c_.Files.Move(Scale(96), Scale(8), Scale(225), Scale(200));
  c_.Label2.Move(Scale(8), Scale(32), Scale(86), Scale(13));
  c_.Folder.Move(Scale(96), Scale(32), Scale(225), Scale(200));
  c_.BeginSearch.Move(Scale(328), Scale(8), Scale(97), Scale(25));
  c_.Button1.Move(Scale(328), Scale(32), Scale(49), Scale(17));
  c_.StatusBar1.ParentResized();
  const int top = Scale(kPanelHeight);
  const int bottom = client.bottom - c_.StatusBar1.Height();
  c_.Results.Move(0, top, width, bottom > top ? bottom - top : 0);
}

void FormLayout::ChangeDpi(int dpi) {
  const int old = dpi_;
  dpi_ = dpi;
  for (int c = 0; c < c_.Results.ColumnCount(); ++c)
    ListView_SetColumnWidth(c_.Results.Handle(), c, MulDiv(c_.Results.ColumnWidth(c), dpi, old));
  ApplyFont();
  LoadGlyph();
}

}  // namespace quillow::app
