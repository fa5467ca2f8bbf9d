// The window's task queue and the search hand-over on it, without a window: order, status
// texts as state, the steps that wait for an answer, closing while the search waits,
// re-entrant runs, budgets and input.
#include "app/search_handover.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

namespace quillow::app {
namespace {

using namespace std::chrono_literals;

class RecordingWindow final : public search::SearchHost {
 public:
  std::vector<std::string> log;
  std::vector<search::ResultRow> rows;
  std::string lookIn = "C:\\look", findFiles = "*.txt";
  std::function<void()> onRefuse;
  bool failLookIn = false;

  void Refuse() override {
    log.push_back("refuse");
    if (onRefuse) onRefuse();
  }
  std::string LookInText() override {
    log.push_back("look-in");
    if (failLookIn) throw std::runtime_error("no box");
    return lookIn;
  }
  std::string FindFilesText() override {
    log.push_back("find-files");
    return findFiles;
  }
  void ReplaceLookInText(const std::string& q) override { log.push_back("replace " + q); }
  void RecordHistories(const std::string& f, const std::string& l) override {
    log.push_back("histories " + f + " " + l);
  }
  void StartOfSearch() override { log.push_back("start"); }
  void ShowElapsed(uint32_t s) override { log.push_back("elapsed " + std::to_string(s)); }
  void ShowLookingIn(const std::string& f) override { log.push_back("looking " + f); }
  void ShowFoundCount(int32_t n) override { log.push_back("found " + std::to_string(n)); }
  void AddRow(search::ResultRow&& row) override { AddRows({std::move(row)}); }
  void AddRows(std::vector<search::ResultRow>&& from) override {
    log.push_back("rows " + std::to_string(from.size()));
    for (search::ResultRow& r : from) rows.push_back(std::move(r));
  }
  void EndOfSearch(int32_t n) override { log.push_back("end " + std::to_string(n)); }
  void OpenWarnings(const std::string& p) override { log.push_back("warnings " + p); }
  void FinalSort() override { log.push_back("sort"); }
};

search::ResultRow Row(const std::string& name) {
  return search::ResultRow{name, "C:\\", "", "1", "?", "1"};
}

// A queue whose wake-ups are counted, with the hand-over and a recording window on it.
struct Fixture {
  explicit Fixture(std::chrono::milliseconds interval = 50ms)
      : queue([this] { ++posts; }, interval), handOver(queue, window) {}
  // Runs the queue until it reports itself idle.
  void RunUntilIdle() {
    while (!queue.Run(1s)) {
    }
  }
  std::atomic<int> posts{0};
  RecordingWindow window;
  UiTaskQueue queue;
  SearchHandOver handOver;
};

TEST(SearchHandOverTest, OrderedStepsKeepTheirOrderRowsTravelTogetherStatusIsLatestOnly) {
  Fixture f;
  SearchHandOver& h = f.handOver;
  h.StartOfSearch();
  h.ShowLookingIn("C:\\a");
  h.ShowFoundCount(1);
  h.AddRow(Row("1"));
  h.AddRow(Row("2"));
  h.ShowFoundCount(2);
  h.ShowLookingIn("C:\\b");
  h.AddRow(Row("3"));
  h.ShowElapsed(1);
  h.EndOfSearch(3);
  h.OpenWarnings("C:\\w.txt");
  h.FinalSort();
  f.queue.Post([&] { f.window.log.push_back("ended"); });
  EXPECT_EQ(f.posts, 1);  // one wake-up for the whole queue

  EXPECT_FALSE(f.queue.Run(1s));  // it ran something: the window comes back once more
  // Overtaken texts are dropped; the latest of each panel is drawn before the end of search,
  // so that the end's own count text is the one left standing.
  EXPECT_EQ(f.window.log,
            (std::vector<std::string>{"start", "rows 3", "found 2", "elapsed 1", "looking C:\\b",
                                      "end 3", "warnings C:\\w.txt", "sort", "ended"}));
  ASSERT_EQ(f.window.rows.size(), 3u);
  EXPECT_EQ(f.window.rows[2].file, "3");

  // Nothing more to do: idle, and the next step wakes the window again.
  EXPECT_TRUE(f.queue.Run(1s));
  h.StartOfSearch();
  EXPECT_EQ(f.posts, 2);
}

TEST(SearchHandOverTest, AStepBetweenRowsStartsANewBatchAndStatusIsDrawnAtMostEveryInterval) {
  Fixture f(200ms);
  f.handOver.AddRow(Row("1"));
  f.handOver.OpenWarnings("w");
  f.handOver.AddRow(Row("2"));
  f.handOver.ShowFoundCount(1);
  f.RunUntilIdle();
  EXPECT_EQ(f.window.log, (std::vector<std::string>{"rows 1", "warnings w", "rows 1", "found 1"}))
      << "a step must not be overtaken by the row after it";

  // Drawn just now: a newer count waits for its interval, and the window keeps coming back.
  f.handOver.ShowFoundCount(2);
  EXPECT_FALSE(f.queue.Run(1s));
  EXPECT_EQ(f.window.log.back(), "found 1");
  std::this_thread::sleep_for(250ms);
  EXPECT_FALSE(f.queue.Run(1s));
  EXPECT_EQ(f.window.log.back(), "found 2");
}

TEST(SearchHandOverTest, RowsAndStatusWaitForTheTimerAnEndOfSearchWakesTheWindowAtOnce) {
  Fixture f;
  f.handOver.AddRow(Row("1"));
  ASSERT_EQ(f.posts, 1);
  EXPECT_FALSE(f.queue.Run(1s));  // awake: the timer brings it back
  f.handOver.AddRow(Row("2"));
  f.handOver.ShowFoundCount(2);
  f.handOver.ShowLookingIn("C:\\b");
  EXPECT_EQ(f.posts, 1) << "rows and texts must not cost a wake-up each";
  f.handOver.EndOfSearch(2);
  f.handOver.FinalSort();
  EXPECT_EQ(f.posts, 2) << "the end of a search waits for no timer, and asks once";
  f.RunUntilIdle();
  EXPECT_EQ(f.window.log.back(), "sort");
}

TEST(SearchHandOverTest, WhatArrivesDuringARunWaitsForTheNextRunAsOneBatch) {
  Fixture f;
  f.handOver.AddRow(Row("1"));
  // The search goes on while the window takes its rows.
  f.queue.Post(
      [&] {
        f.handOver.AddRow(Row("2"));
        f.handOver.StartOfSearch();
        f.handOver.ShowLookingIn("C:\\b");
        f.handOver.AddRow(Row("3"));
        f.handOver.AddRow(Row("4"));
      },
      UiTaskQueue::After::kAnyTime);
  EXPECT_FALSE(f.queue.Run(1s));
  // Neither the new rows nor a text that belongs after a step still waiting.
  EXPECT_EQ(f.window.log, std::vector<std::string>{"rows 1"});
  f.RunUntilIdle();
  EXPECT_EQ(f.window.log,
            (std::vector<std::string>{"rows 1", "rows 1", "start", "rows 2", "looking C:\\b"}));
}

TEST(SearchHandOverTest, InputStepsWaitForTheWindowsAnswer) {
  Fixture f;
  auto search = std::async(std::launch::async, [&] {
    const std::string lookIn = f.handOver.LookInText();
    const std::string files = f.handOver.FindFilesText();
    f.handOver.RecordHistories(files, lookIn);
    return lookIn + "|" + files;
  });
  while (f.posts == 0) std::this_thread::sleep_for(1ms);
  // Not answered yet: the search is still waiting.
  EXPECT_EQ(search.wait_for(50ms), std::future_status::timeout);
  while (search.wait_for(1ms) != std::future_status::ready) f.queue.Run(1s);
  EXPECT_EQ(search.get(), "C:\\look|*.txt");
  EXPECT_EQ(f.window.log,
            (std::vector<std::string>{"look-in", "find-files", "histories *.txt C:\\look"}));
}

TEST(SearchHandOverTest, ClosingReleasesAWaitingSearchAndDropsEverythingAfter) {
  Fixture f;
  auto search = std::async(std::launch::async, [&] { return f.handOver.LookInText(); });
  while (f.posts == 0) std::this_thread::sleep_for(1ms);
  f.queue.Close();
  ASSERT_EQ(search.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(search.get(), "");

  f.handOver.AddRow(Row("late"));
  f.handOver.ShowFoundCount(1);
  f.handOver.EndOfSearch(1);
  EXPECT_EQ(f.handOver.FindFilesText(), "");  // returns at once
  EXPECT_EQ(f.posts, 1);
  EXPECT_TRUE(f.queue.Run(1s));
  EXPECT_TRUE(f.window.log.empty());
}

TEST(SearchHandOverTest, ARunInsideATaskLeavesTheRestToTheOuterRunInOrder) {
  Fixture f;
  // The refusal's message box runs a message loop, which may bring the timer in again.
  f.window.onRefuse = [&] {
    f.handOver.ShowElapsed(7);  // queued while the window is busy with the refusal
    EXPECT_FALSE(f.queue.Run(1s));
    f.window.log.push_back("box closed");
  };
  f.handOver.Refuse();
  f.queue.Post([&] { f.window.log.push_back("ended"); });
  f.RunUntilIdle();
  EXPECT_EQ(f.window.log, (std::vector<std::string>{"refuse", "box closed", "ended", "elapsed 7"}));
  EXPECT_EQ(f.posts, 1);
}

TEST(SearchHandOverTest, AFailingStepStillAnswersTheSearchAndTheRestGoesOn) {
  Fixture f;
  f.window.failLookIn = true;
  auto search = std::async(std::launch::async, [&] {
    const std::string lookIn = f.handOver.LookInText();
    f.handOver.StartOfSearch();
    return lookIn;
  });
  while (f.posts == 0) std::this_thread::sleep_for(1ms);
  EXPECT_THROW(f.queue.Run(1s), std::runtime_error);
  ASSERT_EQ(search.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(search.get(), "");
  // The queue is not stuck in the failed run.
  while (f.window.log.size() < 2) f.queue.Run(1s);
  EXPECT_EQ(f.window.log, (std::vector<std::string>{"look-in", "start"}));
}

TEST(SearchHandOverTest, ASpentBudgetOrWaitingInputLeavesTheRestForTheNextRun) {
  Fixture f;
  f.handOver.StartOfSearch();
  f.handOver.EndOfSearch(1);
  EXPECT_FALSE(f.queue.Run(0ms));
  EXPECT_EQ(f.window.log, std::vector<std::string>{"start"});
  // The window owes a later run; an ordered step still asks for one of its own, once.
  f.handOver.FinalSort();
  f.handOver.FinalSort();
  EXPECT_EQ(f.posts, 2);
  EXPECT_FALSE(f.queue.Run(1s, [] { return true; }));  // input waits: one task, then yield
  EXPECT_EQ(f.window.log.back(), "end 1");
  f.RunUntilIdle();
  EXPECT_EQ(f.window.log, (std::vector<std::string>{"start", "end 1", "sort", "sort"}));
}

}  // namespace
}  // namespace quillow::app
