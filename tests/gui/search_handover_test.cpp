// The hand-over between the search thread and the window, without a window: order, the
// steps that wait for an answer, closing while the search waits, re-entrant drains.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

#include "app/search_handover.h"

namespace quillow::app {
namespace {

using namespace std::chrono_literals;

class RecordingSteps final : public SearchSteps {
 public:
  std::vector<std::string> log;
  std::vector<ResultRow> rows;
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
  void AppendRows(std::vector<ResultRow>& from, size_t first, size_t count) override {
    log.push_back("rows " + std::to_string(count));
    for (size_t i = first; i < first + count; ++i) rows.push_back(std::move(from[i]));
  }
  void EndOfSearch(int32_t n) override { log.push_back("end " + std::to_string(n)); }
  void OpenWarnings(const std::string& p) override { log.push_back("warnings " + p); }
  void FinalSort() override { log.push_back("sort"); }
  void SearchEnded() override { log.push_back("ended"); }
};

ResultRow Row(const std::string& name) { return ResultRow{name, "C:\\", "", "1", "?", "1"}; }

TEST(SearchHandOverTest, StepsArriveInOrderWithConsecutiveRowsTogether) {
  int posts = 0;
  SearchHandOver handOver([&] { ++posts; });
  handOver.StartOfSearch();
  handOver.ShowLookingIn("C:\\a");
  handOver.AddRow(Row("1"));
  handOver.AddRow(Row("2"));
  handOver.ShowFoundCount(2);
  handOver.AddRow(Row("3"));
  handOver.ShowElapsed(1);
  handOver.EndOfSearch(3);
  handOver.OpenWarnings("C:\\w.txt");
  handOver.FinalSort();
  handOver.Ended();
  EXPECT_EQ(posts, 1);  // one message for the whole queue

  RecordingSteps window;
  EXPECT_TRUE(handOver.Drain(window, 1s));
  EXPECT_EQ(window.log, (std::vector<std::string>{"start", "looking C:\\a", "rows 2", "found 2",
                                                  "rows 1", "elapsed 1", "end 3",
                                                  "warnings C:\\w.txt", "sort", "ended"}));
  ASSERT_EQ(window.rows.size(), 3u);
  EXPECT_EQ(window.rows[2].file, "3");

  // The queue ran empty: the next step posts again.
  handOver.ShowElapsed(2);
  EXPECT_EQ(posts, 2);
}

TEST(SearchHandOverTest, InputStepsWaitForTheWindowsAnswer) {
  std::promise<void> posted;
  std::atomic<bool> once{false};
  SearchHandOver handOver([&] {
    if (!once.exchange(true)) posted.set_value();
  });
  RecordingSteps window;
  auto search = std::async(std::launch::async, [&] {
    const std::string lookIn = handOver.LookInText();
    const std::string files = handOver.FindFilesText();
    handOver.RecordHistories(files, lookIn);
    return lookIn + "|" + files;
  });
  posted.get_future().wait();
  // Not answered yet: the search is still waiting.
  EXPECT_EQ(search.wait_for(50ms), std::future_status::timeout);
  while (search.wait_for(1ms) != std::future_status::ready) handOver.Drain(window, 1s);
  EXPECT_EQ(search.get(), "C:\\look|*.txt");
  EXPECT_EQ(window.log, (std::vector<std::string>{"look-in", "find-files",
                                                  "histories *.txt C:\\look"}));
}

TEST(SearchHandOverTest, ClosingReleasesAWaitingSearchAndDropsEverythingAfter) {
  std::atomic<int> posts{0};
  SearchHandOver handOver([&] { ++posts; });
  auto search = std::async(std::launch::async, [&] { return handOver.LookInText(); });
  while (posts == 0) std::this_thread::sleep_for(1ms);
  handOver.Close();
  ASSERT_EQ(search.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(search.get(), "");

  handOver.AddRow(Row("late"));
  handOver.EndOfSearch(1);
  EXPECT_EQ(handOver.FindFilesText(), "");  // returns at once
  EXPECT_EQ(posts, 1);
  RecordingSteps window;
  EXPECT_TRUE(handOver.Drain(window, 1s));
  EXPECT_TRUE(window.log.empty());
}

TEST(SearchHandOverTest, ADrainInsideAStepLeavesTheRestToTheOuterDrainInOrder) {
  int posts = 0;
  SearchHandOver handOver([&] { ++posts; });
  RecordingSteps window;
  // The refusal's message box runs a message loop, which may bring the next drain in.
  window.onRefuse = [&] {
    handOver.ShowElapsed(7);  // queued while the window is busy with the refusal
    EXPECT_TRUE(handOver.Drain(window, 1s));
    window.log.push_back("box closed");
  };
  handOver.Refuse();
  handOver.Ended();
  EXPECT_TRUE(handOver.Drain(window, 1s));
  EXPECT_EQ(window.log,
            (std::vector<std::string>{"refuse", "box closed", "ended", "elapsed 7"}));
  EXPECT_EQ(posts, 1);
}

TEST(SearchHandOverTest, AFailingStepStillAnswersTheSearchAndTheRestGoesOn) {
  std::atomic<int> posts{0};
  SearchHandOver handOver([&] { ++posts; });
  RecordingSteps window;
  window.failLookIn = true;
  auto search = std::async(std::launch::async, [&] {
    const std::string lookIn = handOver.LookInText();
    handOver.StartOfSearch();
    return lookIn;
  });
  while (posts == 0) std::this_thread::sleep_for(1ms);
  EXPECT_THROW(handOver.Drain(window, 1s), std::runtime_error);
  ASSERT_EQ(search.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(search.get(), "");
  // The hand-over is not stuck in the failed drain.
  while (window.log.size() < 2) handOver.Drain(window, 1s);
  EXPECT_EQ(window.log, (std::vector<std::string>{"look-in", "start"}));
}

TEST(SearchHandOverTest, AnExhaustedBudgetLeavesTheRestForTheNextDrain) {
  int posts = 0;
  SearchHandOver handOver([&] { ++posts; });
  RecordingSteps window;
  handOver.ShowElapsed(1);
  EXPECT_FALSE(handOver.Drain(window, 0ms));
  // The caller owes a later drain; until then no new message is posted.
  handOver.ShowElapsed(2);
  EXPECT_EQ(posts, 1);
  EXPECT_TRUE(handOver.Drain(window, 1s));
  EXPECT_EQ(window.log, (std::vector<std::string>{"elapsed 1", "elapsed 2"}));
}

}  // namespace
}  // namespace quillow::app
