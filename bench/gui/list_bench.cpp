// The results list under load: a million rows handed over from the search thread into the
// real main window, then sorted by every kind. Reports how long after the last row left
// the search the list showed it, each sort time, and how long the window took at worst to
// answer a message meanwhile. Not a test: it measures.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>

#include "bench_window.h"
#include "search/row.h"

namespace {

using quillow::bench::Clock;
using quillow::bench::Ms;
using quillow::bench::PumpFor;
using quillow::search::ResultRow;
using quillow::search::SearchHost;

std::vector<ResultRow> MakeRows(size_t count) {
  std::mt19937 random(20240601);
  std::vector<ResultRow> rows;
  rows.reserve(count);
  char name[96], container[96];
  for (size_t i = 0; i < count; ++i) {
    const unsigned n = random();
    std::snprintf(name, sizeof(name), "file%07u.%s", n % 10000000u, (n & 1) ? "txt" : "DOC");
    std::snprintf(container, sizeof(container), "C:\\data\\set%02u\\archive%04u.zip", n % 97u,
                  (n >> 8) % 5000u);
    const unsigned month = 1 + random() % 12, day = 1 + random() % 28, year = random() % 45;
    const unsigned hour = random() % 24, minute = random() % 60;
    const auto date = static_cast<uint16_t>((year << 9) | (month << 5) | day);
    const auto time = static_cast<uint16_t>((hour << 11) | (minute << 5));
    const bool dated = random() % 50 != 0;  // a TAR member now and then
    const unsigned size = random() % 5000000u, packed = size / (1 + random() % 4);
    rows.push_back(
        quillow::search::MakeRow(name, container, date, time, size, packed, false, '\\', dated));
  }
  return rows;
}

// Passes the real search's steps on, and hands over the prepared rows as if the search had
// found them all in its first folder.
class FeedingHost final : public quillow::search::ForwardingHost {
 public:
  FeedingHost(SearchHost& next, std::vector<ResultRow>& rows) : ForwardingHost(next), rows_(rows) {}

  void StartOfSearch() override {
    next_.StartOfSearch();
    const auto start = Clock::now();
    for (ResultRow& row : rows_) next_.AddRow(std::move(row));
    lastRowHandedOver.store(Clock::now().time_since_epoch().count());
    std::printf("search thread: %zu rows handed over in %.0f ms\n", rows_.size(),
                Ms(Clock::now() - start));
  }
  void EndOfSearch(int32_t) override { next_.EndOfSearch(static_cast<int32_t>(rows_.size())); }

  std::atomic<Clock::rep> lastRowHandedOver{0};

 private:
  std::vector<ResultRow>& rows_;
};

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  std::printf("preparing %zu rows...\n", count);
  std::vector<ResultRow> rows = MakeRows(count);
  const std::filesystem::path empty = std::filesystem::temp_directory_path() / "quillow-list-bench";
  std::filesystem::create_directories(empty);

  FeedingHost* feeder = nullptr;
  quillow::bench::BenchWindow window("*.none", empty.string(), [&](SearchHost& handOver) {
    auto host = std::make_unique<FeedingHost>(handOver, rows);
    feeder = host.get();
    return host;
  });
  if (!window.Ok()) return 1;
  quillow::app::TResultForm& form = window.Form();
  PumpFor(std::chrono::milliseconds(200));

  HWND list = form.Results.Handle();
  double worstDuringFeed = 0;
  {
    quillow::bench::Prober prober(form.Handle(), std::chrono::milliseconds(5));
    form.BeginSearchClick();
    // Until the list holds every row and has painted the last one.
    while (static_cast<size_t>(ListView_GetItemCount(list)) != count ||
           feeder->lastRowHandedOver == 0)
      quillow::bench::PumpOnce();
    ListView_EnsureVisible(list, static_cast<int>(count - 1), FALSE);
    UpdateWindow(list);
    const auto shown = Clock::now();
    const auto handedOver = Clock::time_point(Clock::duration(feeder->lastRowHandedOver.load()));
    std::printf("last row shown %.0f ms after the search handed it over (target 3000 ms)\n",
                Ms(shown - handedOver));
    while (form.SearchThreadAlive()) PumpFor(std::chrono::milliseconds(10));
    worstDuringFeed = prober.Worst();
    std::printf("window answered %d probes, the slowest after %.0f ms\n", prober.Probes(),
                worstDuringFeed);
  }
  std::printf("list rows: %d, first row: %s\n", ListView_GetItemCount(list),
              form.Rows().empty() ? "" : form.Rows().front().file.c_str());

  static const char* const kNames[] = {"",
                                       "File ascending",
                                       "File descending",
                                       "Archive/Folder ascending",
                                       "Archive/Folder descending",
                                       "Modified newest first",
                                       "Modified oldest first",
                                       "Size smallest first",
                                       "Size largest first",
                                       "Ratio highest first",
                                       "Ratio lowest first",
                                       "Packed smallest first",
                                       "Packed largest first"};
  double worstSort = 0;
  for (int kind = 1; kind <= 12; ++kind) {
    form.Settings.SortType = kind;
    const auto start = Clock::now();
    form.SortResults();
    UpdateWindow(list);
    const double took = Ms(Clock::now() - start);
    if (took > worstSort) worstSort = took;
    std::printf("sort %2d %-26s %6.0f ms (target 2000 ms)\n", kind, kNames[kind], took);
    PumpFor(std::chrono::milliseconds(20));
  }
  std::printf("slowest sort: %.0f ms\n", worstSort);
  std::error_code ec;
  std::filesystem::remove_all(empty, ec);
  return 0;
}
