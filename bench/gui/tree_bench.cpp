// The window during searches of many folders: how long it takes at worst to answer a
// message sent every 50 ms, how long after a "Stop Search" click (sent as real input) it
// shows "Begin Search" again, and the whole search against the engine alone counting the
// same hits (what quillow-find --count does). Not a test: it measures.
// Usage: tree_bench FOLDER
#include <windows.h>

#include <cstdio>

#include "bench_window.h"
#include "search/search_thread.h"

namespace {

using quillow::bench::Clock;
using quillow::bench::Ms;
using quillow::bench::PumpOnce;

class CountingHost final : public quillow::SearchHost {
 public:
  explicit CountingHost(std::string folder) : folder_(std::move(folder)) {}
  std::string LookInText() override { return folder_; }
  std::string FindFilesText() override { return "*.txt"; }
  void AddRow(quillow::ResultRow&&) override {}

 private:
  std::string folder_;
};

// Notes when the search thread began and ended, to tell the search's own time from the
// window's catching up after it.
class TimingHost final : public quillow::ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  void StartOfSearch() override {
    started = Clock::now();
    next_.StartOfSearch();
  }
  void EndOfSearch(int32_t found) override {
    ended = Clock::now();
    next_.EndOfSearch(found);
  }
  Clock::time_point started, ended;
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

  // The engine alone, counting.
  double engineMs = 0;
  {
    quillow::SearchOptions options;
    options.CountOnly = 1;
    CountingHost host(folder);
    quillow::SearchThread search(host, options, quillow::ArchiveTypeSet{}, std::string());
    const auto start = Clock::now();
    search.Run();
    engineMs = Ms(Clock::now() - start);
    std::printf("engine counting: %d hits in %.0f ms\n", search.FoundCount(), engineMs);
  }

  TimingHost* timing = nullptr;
  quillow::bench::BenchWindow window("*.txt", folder, [&](quillow::SearchHost& handOver) {
    auto host = std::make_unique<TimingHost>(handOver);
    timing = host.get();
    return host;
  });
  if (!window.Ok()) return 1;
  quillow::app::TResultForm& form = window.Form();
  const HWND button = form.BeginSearch.Handle();
  auto caption = [&] { return form.BeginSearch.Text(); };

  // The whole search, probed.
  {
    quillow::bench::Prober prober(form.Handle(), std::chrono::milliseconds(50));
    const auto start = Clock::now();
    const double cpuBefore = quillow::bench::ThreadCpuMs();
    window.SearchToEnd();
    const auto shown = Clock::now();
    const double windowMs = Ms(shown - start);
    std::printf(
        "window search: %zu rows in %.0f ms = %.2fx the engine (search thread %.0f ms, then "
        "%.0f ms to \"Begin Search\"; window thread busy %.0f ms); %d probes, slowest "
        "answered after %.0f ms\n",
        form.Rows().size(), windowMs, windowMs / engineMs, Ms(timing->ended - timing->started),
        Ms(shown - timing->ended), quillow::bench::ThreadCpuMs() - cpuBefore, prober.Probes(),
        prober.Worst());
  }

  // Stopped a quarter into the run, by a real click on the button.
  {
    quillow::bench::Prober prober(form.Handle(), std::chrono::milliseconds(50));
    form.BeginSearchClick();
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::milliseconds(800)) PumpOnce();
    if (caption() != quillow::app::kStopSearchCaption) {
      std::printf("stop: the search had already ended\n");
    } else {
      const auto clicked = Clock::now();
      ClickAt(button);
      while (caption() != quillow::app::kBeginSearchCaption &&
             Clock::now() - clicked < std::chrono::seconds(60))
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
