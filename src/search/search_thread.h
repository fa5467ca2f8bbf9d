// One search: the request made from the two input texts, the folder walk, the member
// reports and the warnings log.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"
#include "search/matching.h"
#include "search/read_ahead.h"
#include "search/search_host.h"
#include "search/types.h"

namespace quillow::search {

// How a search ended, for callers that must act on it (the command line's exit status, the
// window's report of a failure).
enum class SearchOutcome : uint8_t {
  kRefused,          // every source off: only the refusal step ran
  kNothingToSearch,  // no pattern, or one without a base part: ended before its start
  kCompleted,
  kStopped,  // a stop request cut the walk short
  kFailed,   // an error ended it; its end-of-search steps still ran (FailureText)
};

class SearchThread {
 public:
  // `warningsPath` empty: warnings go only to the host, no file is written. The options
  // and the type set are copied: the search never sees them change.
  SearchThread(SearchHost& host, const SearchOptions& options, const ArchiveTypeSet& types,
               std::string warningsPath);
  SearchThread(const SearchThread&) = delete;
  SearchThread& operator=(const SearchThread&) = delete;

  // Relative Look-in entries are found below `folder` (a full path) instead of the folder
  // current when the search starts. Before Run.
  void StartIn(std::string folder) { startIn_ = std::move(folder); }

  // The body, on the calling thread (whoever runs the search owns the thread). It never
  // throws: a failure ends the search as a stop would and is told in FailureText().
  SearchOutcome Run();
  const std::string& FailureText() const { return failure_; }

  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }

  int32_t FoundCount() const { return found_; }
  int32_t WarningCount() const { return warnings_; }

  // Searches one Look-in entry: its subfolders first, then one pass per enabled source.
  void ScanFolder(const std::string& entry);

  // One candidate: matched against the patterns and, for a hit, counted and made a row.
  void ReportMember(std::string_view name, std::string_view container, uint16_t dosDate,
                    uint16_t dosTime, uint32_t size, uint32_t packed, bool folderEntry);

  // Appends "container: message" to the warnings log.
  void LogWarning(std::string_view container, std::string_view message);

 private:
  class ArchiveContext;

  SearchOutcome Body(bool& started);
  void Finish(bool failed);
  void TickElapsed();
  bool IsCandidateHit(std::string_view name);
  void CountHit(std::string_view name, std::string_view container, uint16_t dosDate,
                uint16_t dosTime, uint32_t size, uint32_t packed, bool folderEntry, bool dated);
  void ScanEntered(platform::FolderListing& listing, std::string folder, int depth);
  void ReadArchive(const std::string& folder, const platform::FolderListing& listing,
                   platform::DirEntry& entry, int type);
  // Tells the archives read ahead, in turn, as far as they are read, and waits for them
  // while more than `waiting` are queued.
  void TellReadAhead(size_t waiting);

  SearchHost& host_;
  const SearchOptions options_;
  const ArchiveTypeSet types_;
  const std::string warningsPath_;

  void NotSearched(const std::string& entry, const std::string& why);

  std::string startIn_;
  std::unique_ptr<platform::StartFolder> startFolder_;
  std::string lookInEntry_;              // the Look-in entry being searched
  std::vector<std::string> unsearched_;  // Look-in entries that could not be searched
  PatternSet patterns_;
  std::vector<std::string> lookIn_;
  int32_t found_ = 0;
  int32_t warnings_ = 0;
  std::chrono::steady_clock::time_point start_;
  uint32_t elapsedShown_ = 0;
  uint32_t namesSinceTick_ = 0;
  std::unique_ptr<platform::WriteFile> log_;
  bool logged_ = false;
  bool finishing_ = false;
  std::string failure_;
  ResultRow row_;  // the hit being handed over
  ReadAhead readAhead_;

  std::atomic<bool> stop_{false};
};

}  // namespace quillow::search
