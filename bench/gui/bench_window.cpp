#include "bench_window.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

namespace quillow::bench {

double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) {
    return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

Prober::Prober(HWND target, std::chrono::milliseconds period)
    : thread_([this, target, period] {
        while (!stop_) {
          const auto sent = Clock::now();
          DWORD_PTR result = 0;
          SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
          worst_ = std::max(worst_.load(), Ms(Clock::now() - sent));
          ++probes_;
          std::this_thread::sleep_for(period);
        }
      }) {}

Prober::~Prober() {
  stop_ = true;
  thread_.join();
}

void PumpOnce(std::chrono::milliseconds wait) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait.count()), QS_ALLINPUT);
}

void PumpFor(std::chrono::milliseconds d) {
  const auto until = Clock::now() + d;
  for (auto now = Clock::now(); now < until; now = Clock::now())
    PumpOnce(std::chrono::ceil<std::chrono::milliseconds>(until - now));
}

BenchWindow::BenchWindow(const std::string& files, const std::string& folder, Wrap wrap) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  app::FormServices services;
  services.programFolder = temp;
  services.wrapSearchHost = std::move(wrap);
  form_ = std::make_unique<app::TResultForm>(services);
  if (!form_->Create()) return;
  form_->Show(SW_SHOWNORMAL);
  SetWindowPos(form_->Handle(), nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER);
  SetForegroundWindow(form_->Handle());
  form_->Files.SetText(files);
  form_->Folder.SetText(folder);
  form_->FilesChange();
  ok_ = true;
}

void BenchWindow::SearchToEnd() {
  form_->BeginSearchClick();
  while (form_->SearchThreadAlive() || form_->BeginSearch.Text() != app::kBeginSearchCaption)
    PumpOnce();
}

}  // namespace quillow::bench
