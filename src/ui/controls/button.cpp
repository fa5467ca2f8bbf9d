#include "ui/controls/button.h"

#include <cstdint>

namespace quillow::ui {

void Button::Create(HWND parent, int id, const std::string& caption) {
  CreateChild(WC_BUTTONW, caption, BS_PUSHBUTTON | WS_TABSTOP, 0, parent, id);
}

namespace {

// A 32-bit copy of `bitmap` in which the pixels of the `transparent` colour are fully
// transparent: image lists draw alpha alike everywhere, where colour-key masks do not.
platform::UniqueBitmap WithAlpha(HBITMAP bitmap, COLORREF transparent, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  platform::UniqueBitmap dib(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (dib && !GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), bits, &info, DIB_RGB_COLORS))
    dib.reset();
  ReleaseDC(nullptr, screen);
  if (!dib) return {};
  // GetDIBits leaves the fourth byte 0; every pixel but the key becomes opaque.
  const uint32_t key =
      (GetRValue(transparent) << 16) | (GetGValue(transparent) << 8) | GetBValue(transparent);
  auto* pixel = static_cast<uint32_t*>(bits);
  for (int i = 0; i < width * height; ++i)
    pixel[i] = (pixel[i] & 0xFFFFFFu) == key ? 0u : (pixel[i] | 0xFF000000u);
  return dib;
}

}  // namespace

void Button::SetGlyph(HBITMAP bitmap, COLORREF transparent) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth < 2) return;
  const int side = info.bmWidth / 2;
  const platform::UniqueBitmap pair = WithAlpha(bitmap, transparent, info.bmWidth, info.bmHeight);
  if (!pair) return;
  // The button picks an image per state: normal, hot, pressed, disabled, default, stylus hot.
  // Adding the pair three times gives enabled, disabled, enabled, disabled, enabled, disabled;
  // the enabled look is then copied over the second and the sixth.
  platform::UniqueImageList states(ImageList_Create(side, info.bmHeight, ILC_COLOR32, 6, 0));
  if (!states) return;
  for (int i = 0; i < 3; ++i) ImageList_Add(states.get(), pair.get(), nullptr);
  ImageList_Copy(states.get(), 1, states.get(), 0, ILCF_MOVE);
  ImageList_Copy(states.get(), 5, states.get(), 0, ILCF_MOVE);
  BUTTON_IMAGELIST glyph{};
  glyph.himl = states.get();
  glyph.margin = {4, 0, 0, 0};
  glyph.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
  // The button keeps using the list: it lives as long as the button does.
  if (SendMessageW(hwnd_, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&glyph)))
    images_ = std::move(states);
}

}  // namespace quillow::ui
