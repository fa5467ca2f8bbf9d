// The standard colour dialog behind an interface, so that tests can answer it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

namespace quillow::ui {

class ColorPicker {
 public:
  virtual ~ColorPicker() = default;
  // Modal, preset with `color` (0x00BBGGRR). True when the user chose a colour, which is
  // then in `color`; otherwise `color` keeps the preset.
  virtual bool Execute(HWND owner, uint32_t& color) = 0;
};

class SystemColorPicker final : public ColorPicker {
 public:
  bool Execute(HWND owner, uint32_t& color) override;

 private:
  // The dialog's sixteen custom colours, kept for the run.
  std::array<COLORREF, 16> custom_ = [] {
    std::array<COLORREF, 16> white{};
    white.fill(RGB(255, 255, 255));
    return white;
  }();
};

}  // namespace quillow::ui
