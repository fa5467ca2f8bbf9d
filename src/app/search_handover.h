// Carries the steps of a search from the search thread to the window, through the
// window's task queue: each step becomes a closure that calls the same step of the window's
// own SearchHost on the user-interface thread, in the order the search asked for them.
//
// Rows that follow each other travel as one task, so a million rows cost a task per drain.
// The three status texts are state: only the latest of each panel is drawn, at most 20
// times a second. The steps that read the window (the two input texts, the histories) wait
// until the window has done them; once the queue is closed they return at once, so a search
// never hangs on a window that has gone.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/ui_task_queue.h"
#include "search/search_host.h"

namespace quillow::app {

// The status-bar panels, which are also the queue's state slots for their texts.
enum StatusPanel : size_t { kFoundPanel = 0, kElapsedPanel = 1, kActivityPanel = 2 };

class SearchHandOver final : public search::SearchHost {
 public:
  // `window` is called on the queue's thread only.
  SearchHandOver(UiTaskQueue& queue, search::SearchHost& window) : queue_(queue), window_(window) {}
  SearchHandOver(const SearchHandOver&) = delete;
  SearchHandOver& operator=(const SearchHandOver&) = delete;

  void Refuse() override;
  std::string LookInText() override;
  std::string FindFilesText() override;
  void ReplaceLookInText(const std::string& quoted) override;
  void RecordHistories(const std::string& findFiles, const std::string& lookIn) override;
  void StartOfSearch() override;
  void ShowElapsed(uint32_t seconds) override;
  void ShowLookingIn(const std::string& folder) override;
  void ShowFoundCount(int32_t found) override;
  void ShowNotSearched(const std::string& text) override;
  void AddRow(search::ResultRow&& row) override;
  void EndOfSearch(int32_t found) override;
  void OpenWarnings(const std::string& path) override;
  void FinalSort() override;

 private:
  struct RowBatch {
    std::vector<search::ResultRow> rows;
    bool taken = false;  // its task has run: later rows need a task of their own
  };

  // Every step but a row ends the batch being filled, so that rows never overtake it.
  void Post(UiTaskQueue::Task task);
  // Steps that read or change the input boxes: the search waits until they are done.
  void Wait(UiTaskQueue::Task task);
  std::string Ask(std::string (search::SearchHost::*read)());

  UiTaskQueue& queue_;
  search::SearchHost& window_;
  std::mutex mutex_;
  std::shared_ptr<RowBatch> batch_;  // guarded by mutex_
};

}  // namespace quillow::app
