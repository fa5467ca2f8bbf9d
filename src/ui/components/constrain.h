// TConstrain: limits the size of the form that owns it (and its size and place when
// maximized) by answering the system's minimum/maximum-size query for the form's window.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quillow::ui {

// Pixels; 0 leaves the system's value in place.
struct ConstrainValues {
  int32_t MaximizedWidth = 0;
  int32_t MaximizedHeight = 0;
  int32_t MaximizedLeft = 0;
  int32_t MaximizedTop = 0;
  int32_t MinWidth = 0;
  int32_t MinHeight = 0;
  int32_t MaxWidth = 0;
  int32_t MaxHeight = 0;
};

// Writes every non-zero value into its field of the query; the other fields stay.
void ApplyConstrain(const ConstrainValues& values, MINMAXINFO& info);

class TConstrain : public ConstrainValues {
 public:
  // Chains itself in front of the owner's window procedure when the owner is a form (a
  // top-level window); with any other owner it does nothing.
  explicit TConstrain(HWND owner);
  ~TConstrain();
  TConstrain(const TConstrain&) = delete;
  TConstrain& operator=(const TConstrain&) = delete;

  bool Installed() const { return owner_ != nullptr; }

 private:
  static LRESULT CALLBACK SubWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR self);
  HWND owner_ = nullptr;
};

}  // namespace quillow::ui
