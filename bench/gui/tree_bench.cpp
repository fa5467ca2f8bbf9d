// The window during searches of many folders: how long it takes at worst to answer a
// message sent every 50 ms, how long after a "Stop Search" click (sent as real input) it
// shows "Begin Search" again, and the whole search against the engine alone counting the
// same hits (what quillow-find --count does). Not a test: it measures.
// Usage: tree_bench FOLDER
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/result_form.h"
#include "search/search_thread.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Processor time this thread has used, user and kernel, in milliseconds.
double ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) {
    return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

class Prober {
 public:
  explicit Prober(HWND target)
      : thread_([this, target] {
          while (!stop_) {
            const auto sent = Clock::now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
            worst_ = std::max(worst_.load(), Ms(Clock::now() - sent));
            ++probes_;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
          }
        }) {}
  ~Prober() {
    stop_ = true;
    thread_.join();
  }
  double Worst() const { return worst_; }
  int Probes() const { return probes_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<double> worst_{0};
  std::atomic<int> probes_{0};
  std::thread thread_;
};

void PumpOnce() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
}

class CountingHost final : public quillow::SearchHost {
 public:
  explicit CountingHost(std::string folder) : folder_(std::move(folder)) {}
  std::string LookInText() override { return folder_; }
  std::string FindFilesText() override { return "*.txt"; }
  void AddRow(quillow::ResultRow&&) override {}

 private:
  std::string folder_;
};

void ClickAt(HWND button) {
  RECT r{};
  GetWindowRect(button, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  // The engine alone, counting.
  {
    quillow::SearchOptions options;
    options.CountOnly = 1;
    CountingHost host(folder);
    quillow::SearchThread search(host, options, quillow::ArchiveTypeSet{}, std::string());
    const auto start = Clock::now();
    search.Run();
    std::printf("engine counting: %d hits in %.0f ms\n", search.FoundCount(),
                Ms(Clock::now() - start));
  }

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  quillow::app::FormServices services;
  services.programFolder = temp;
  quillow::app::TResultForm form(services);
  if (!form.Create()) return 1;
  form.Show(SW_SHOWNORMAL);
  SetForegroundWindow(form.Handle());
  form.Files.SetText("*.txt");
  form.Folder.SetText(folder);
  form.FilesChange();
  const HWND button = form.BeginSearch.Handle();
  auto caption = [&] { return form.BeginSearch.Text(); };

  // The whole search, probed.
  {
    Prober prober(form.Handle());
    const auto start = Clock::now();
    const double cpuBefore = ThreadCpuMs();
    form.BeginSearchClick();
    while (form.SearchThreadAlive() || caption() != "Begin Search") PumpOnce();
    std::printf(
        "window search: %zu rows in %.0f ms (window thread busy %.0f ms); %d probes, slowest "
        "answered after %.0f ms\n",
        form.Rows().size(), Ms(Clock::now() - start), ThreadCpuMs() - cpuBefore, prober.Probes(),
        prober.Worst());
  }

  // Stopped a quarter into the run, by a real click on the button.
  {
    Prober prober(form.Handle());
    form.BeginSearchClick();
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::milliseconds(800)) PumpOnce();
    if (caption() != "Stop Search") {
      std::printf("stop: the search had already ended\n");
    } else {
      const auto clicked = Clock::now();
      ClickAt(button);
      while (caption() != "Begin Search" && Clock::now() - clicked < std::chrono::seconds(60))
        PumpOnce();
      std::printf(
          "stop: \"Begin Search\" shown %.0f ms after the click (%zu rows); slowest probe %.0f "
          "ms\n",
          Ms(Clock::now() - clicked), form.Rows().size(), prober.Worst());
    }
    while (form.SearchThreadAlive()) PumpOnce();
  }
  return 0;
}
