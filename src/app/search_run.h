// One search on a thread of its own. The thread runs the search's body and then tells the
// hand-over that it has ended, so the window knows when a new search may start.
#pragma once

#include <string>
#include <thread>

#include "app/search_handover.h"
#include "search/search_thread.h"

namespace quillow::app {

class SearchRun {
 public:
  // `host` is the hand-over itself or a host that passes every step on to it.
  SearchRun(SearchHandOver& handOver, SearchHost& host, const SearchOptions& options,
            const ArchiveTypeSet& types, std::string warningsPath)
      : handOver_(handOver), search_(host, options, types, std::move(warningsPath)) {}
  // Stops the search at its next stop test and waits for the thread.
  ~SearchRun() {
    RequestStop();
    Join();
  }
  SearchRun(const SearchRun&) = delete;
  SearchRun& operator=(const SearchRun&) = delete;

  void Start() {
    thread_ = std::thread([this] {
      search_.Run();
      handOver_.Ended();
    });
  }
  void RequestStop() { search_.RequestStop(); }
  bool StopRequested() const { return search_.StopRequested(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  int32_t FoundCount() const { return search_.FoundCount(); }

 private:
  SearchHandOver& handOver_;
  SearchThread search_;
  std::thread thread_;
};

}  // namespace quillow::app
