// One search on a thread of its own. The thread runs the search's body and then posts its
// outcome to the window's queue, so the window knows when a new search may start.
#pragma once

#include <functional>
#include <string>
#include <thread>

#include "app/ui_task_queue.h"
#include "search/search_thread.h"

namespace quillow::app {

class SearchRun {
 public:
  // `ended` runs on the queue's thread after the body, whatever way it ended; `failure` is
  // the failure text of a failed search.
  using Ended = std::function<void(search::SearchOutcome outcome, const std::string& failure)>;

  SearchRun(UiTaskQueue& queue, search::SearchHost& host, const search::SearchOptions& options,
            const search::ArchiveTypeSet& types, std::string warningsPath, Ended ended,
            std::string startFolder = {})
      : queue_(queue),
        ended_(std::move(ended)),
        search_(host, options, types, std::move(warningsPath)) {
    search_.StartIn(std::move(startFolder));
  }
  // Stops the search at its next stop test and waits for the thread.
  ~SearchRun() {
    RequestStop();
    Join();
  }
  SearchRun(const SearchRun&) = delete;
  SearchRun& operator=(const SearchRun&) = delete;

  void Start() {
    thread_ = std::thread([this] {
      const search::SearchOutcome outcome = search_.Run();
      queue_.Post([this, outcome] { ended_(outcome, search_.FailureText()); });
    });
  }
  void RequestStop() { search_.RequestStop(); }
  bool StopRequested() const { return search_.StopRequested(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  int32_t FoundCount() const { return search_.FoundCount(); }

 private:
  UiTaskQueue& queue_;
  Ended ended_;
  search::SearchThread search_;
  std::thread thread_;
};

}  // namespace quillow::app
