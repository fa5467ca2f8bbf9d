// The window during searches of many folders: how long it takes at worst to answer a
// message sent every 50 ms, how long after a "Stop Search" click (sent as real input) it
// shows "Begin Search" again, and the whole search against the engine alone counting the
// same hits (what quillow-find --count does). Not a test: it measures.
// Usage: tree_bench FOLDER [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_window.h"
#include "search/search_thread.h"

namespace {

using quillow::bench::Clock;
using quillow::bench::Ms;
using quillow::bench::PumpOnce;

class CountingHost final : public quillow::search::SearchHost {
 public:
  explicit CountingHost(std::string folder) : folder_(std::move(folder)) {}
  std::string LookInText() override { return folder_; }
  std::string FindFilesText() override { return "*.txt"; }
  void AddRow(quillow::search::ResultRow&&) override {}

 private:
  std::string folder_;
};

// Notes when the search thread began and ended, to tell the search's own time from the
// window's catching up after it.
class TimingHost final : public quillow::search::ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  void StartOfSearch() override {
    started = Clock::now();
    startCpu_ = quillow::bench::ThreadCpuMs();
    next_.StartOfSearch();
  }
  void EndOfSearch(int32_t found) override {
    ended = Clock::now();
    cpu = quillow::bench::ThreadCpuMs() - startCpu_;
    next_.EndOfSearch(found);
  }
  Clock::time_point started, ended;
  double cpu = 0;  // the search thread's processor time between the two

 private:
  double startCpu_ = 0;
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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

  TimingHost* timing = nullptr;
  quillow::bench::BenchWindow window("*.txt", folder, [&](quillow::search::SearchHost& handOver) {
    auto host = std::make_unique<TimingHost>(handOver);
    timing = host.get();
    return host;
  });
  if (!window.Ok()) return 1;
  quillow::app::TResultForm& form = window.Form();
  const HWND button = form.BeginSearch.Handle();
  auto caption = [&] { return form.BeginSearch.Text(); };

  // The engine alone and the window, in turns, so that both see the same machine.
  std::vector<double> engineMs, engineCpu, windowMs, searchCpu, windowCpu, ratio, slowest;
  for (int run = 0; run < runs; ++run) {
    {
      quillow::search::SearchOptions options;
      options.CountOnly = 1;
      CountingHost host(folder);
      quillow::search::SearchThread search(host, options, quillow::search::ArchiveTypeSet{},
                                           std::string());
      const auto start = Clock::now();
      const double cpu = quillow::bench::ThreadCpuMs();
      search.Run();
      engineMs.push_back(Ms(Clock::now() - start));
      engineCpu.push_back(quillow::bench::ThreadCpuMs() - cpu);
      std::printf("engine counting: %d hits in %.0f ms (%.0f ms processor)\n", search.FoundCount(),
                  engineMs.back(), engineCpu.back());
    }
    // The pointer is parked off the window: a click may have left it on the button, where
    // Wine polls it many times a second.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    quillow::bench::Prober prober(form.Handle(), std::chrono::milliseconds(50));
    const auto start = Clock::now();
    const double cpu = quillow::bench::ThreadCpuMs();
    window.SearchToEnd();
    const auto shown = Clock::now();
    windowMs.push_back(Ms(shown - start));
    windowCpu.push_back(quillow::bench::ThreadCpuMs() - cpu);
    searchCpu.push_back(timing->cpu);
    ratio.push_back(windowMs.back() / engineMs.back());
    slowest.push_back(prober.Worst());
    std::printf(
        "window search: %zu rows in %.0f ms = %.2fx the engine (search thread %.0f ms, %.0f ms "
        "processor, then %.0f ms to \"Begin Search\"; window thread %.0f ms processor); %d "
        "probes, slowest answered after %.0f ms\n",
        form.Rows().size(), windowMs.back(), ratio.back(), Ms(timing->ended - timing->started),
        searchCpu.back(), Ms(shown - timing->ended), windowCpu.back(), prober.Probes(),
        slowest.back());
  }
  std::printf(
      "median of %d: engine %.0f ms (%.0f processor), window %.0f ms (search %.0f + window %.0f "
      "processor), ratio %.2fx, slowest probe %.0f ms\n",
      runs, Median(engineMs), Median(engineCpu), Median(windowMs), Median(searchCpu),
      Median(windowCpu), Median(ratio), Median(slowest));

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
