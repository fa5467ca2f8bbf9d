// Carries the steps of a search from the search thread to the user-interface thread.
//
// The search thread calls the SearchHost steps; each is queued, in order, behind a mutex.
// The first step into an empty queue calls `notify` (which posts one window message); the
// window then drains everything queued and carries it out through SearchSteps. Steps that
// read the window (the two input texts, the histories) wait until the window has done them.
// Once the window closes, nothing is queued or posted any more and waiting steps return at
// once, so a search never hangs on a window that has gone.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "search/search_host.h"

namespace quillow::app {

// The window's side of a search, called on the user-interface thread in the order the
// search asked for the steps.
class SearchSteps {
 public:
  virtual ~SearchSteps() = default;
  virtual void Refuse() = 0;
  virtual std::string LookInText() = 0;
  virtual std::string FindFilesText() = 0;
  virtual void ReplaceLookInText(const std::string& quoted) = 0;
  virtual void RecordHistories(const std::string& findFiles, const std::string& lookIn) = 0;
  virtual void StartOfSearch() = 0;
  virtual void ShowElapsed(uint32_t seconds) = 0;
  virtual void ShowLookingIn(const std::string& folder) = 0;
  virtual void ShowFoundCount(int32_t found) = 0;
  // Rows [first, first + count) of `rows` are the window's to move from.
  virtual void AppendRows(std::vector<ResultRow>& rows, size_t first, size_t count) = 0;
  virtual void EndOfSearch(int32_t found) = 0;
  virtual void OpenWarnings(const std::string& path) = 0;
  virtual void FinalSort() = 0;
  // The search thread's body has returned: no step comes after this one.
  virtual void SearchEnded() = 0;
};

class SearchHandOver final : public SearchHost {
 public:
  // `notify` runs on the search thread, under the hand-over's lock: it must only post.
  explicit SearchHandOver(std::function<void()> notify);
  SearchHandOver(const SearchHandOver&) = delete;
  SearchHandOver& operator=(const SearchHandOver&) = delete;

  // Search thread side.
  void Refuse() override;
  std::string LookInText() override;
  std::string FindFilesText() override;
  void ReplaceLookInText(const std::string& quoted) override;
  void RecordHistories(const std::string& findFiles, const std::string& lookIn) override;
  void StartOfSearch() override;
  void ShowElapsed(uint32_t seconds) override;
  void ShowLookingIn(const std::string& folder) override;
  void ShowFoundCount(int32_t found) override;
  void AddRow(ResultRow&& row) override;
  void EndOfSearch(int32_t found) override;
  void OpenWarnings(const std::string& path) override;
  void FinalSort() override;
  // Called by the thread after the body, whatever way it ended.
  void Ended();

  // User-interface side. Carries out queued steps until the queue is empty (true) or
  // `budget` has run out (false: more is queued and no message has been posted for it; the
  // caller comes back later, e.g. on a timer, so that input and painting get their turn).
  bool Drain(SearchSteps& window, std::chrono::milliseconds budget);
  // The window is closing: no more steps are queued or carried out.
  void Close();
  bool Closed() const;

 private:
  enum class Kind : uint8_t {
    kRefuse, kLookInText, kFindFilesText, kReplaceLookInText, kRecordHistories,
    kStartOfSearch, kShowElapsed, kShowLookingIn, kShowFoundCount, kRows, kEndOfSearch,
    kOpenWarnings, kFinalSort, kEnded,
  };
  struct Reply {
    std::string text;
    bool done = false;
  };
  struct Step {
    explicit Step(Kind k, int64_t n = 0, std::string t = {}, std::string t2 = {})
        : kind(k), number(n), text(std::move(t)), text2(std::move(t2)) {}
    Kind kind;
    int64_t number;  // seconds, found count or row count
    std::string text;
    std::string text2;
    std::shared_ptr<Reply> reply;
  };

  void Push(Step step);
  // Queues a step that reads or changes the input boxes and waits until it has been done.
  std::string PushAndWait(Step step);
  void PushLocked(Step step);
  void Carry(SearchSteps& window, Step& step, std::vector<ResultRow>& rows, size_t& nextRow);

  const std::function<void()> notify_;
  mutable std::mutex mutex_;
  std::condition_variable answered_;
  std::vector<Step> steps_;
  std::vector<ResultRow> rows_;
  bool posted_ = false;
  bool closed_ = false;
  bool draining_ = false;  // user-interface thread only
};

}  // namespace quillow::app
