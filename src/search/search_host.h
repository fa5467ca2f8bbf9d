// The user side of one search. The search talks to whoever runs it (the main window, the
// command-line tool, the tests) only through these steps, in this order: refusal (instead
// of everything else), or the input texts and histories, then the start of the search,
// status texts and rows while it runs, the end of the search, the warnings file and the
// final sort. A window carries each step out on its own thread, in order; a host that only
// prints or counts leaves the steps it has no use for to the defaults, which do nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "search/types.h"

namespace quillow::search {

class SearchHost {
 public:
  virtual ~SearchHost() = default;

  // Every source is off: "You must select at least one file format..." and nothing else.
  virtual void Refuse() {}
  // The two input texts, read when the search starts; the search waits for them.
  virtual std::string LookInText() = 0;
  virtual std::string FindFilesText() = 0;
  // The Look-in text named one folder with a space: the box now shows it within quotes.
  virtual void ReplaceLookInText(const std::string& /*quoted*/) {}
  virtual void RecordHistories(const std::string& /*findFiles*/, const std::string& /*lookIn*/) {}

  virtual void StartOfSearch() {}
  virtual void ShowElapsed(uint32_t /*seconds*/) {}
  virtual void ShowLookingIn(const std::string& /*folder*/) {}
  virtual void ShowFoundCount(int32_t /*found*/) {}
  // Just before the end: the Look-in folders that do not exist or cannot be read, as the
  // third panel's last text (kNotSearched and the entries).
  virtual void ShowNotSearched(const std::string& /*text*/) {}
  virtual void AddRow(ResultRow&& row) = 0;
  // Rows that arrive together (a hand-over passes them on in one go).
  virtual void AddRows(std::vector<ResultRow>&& rows) {
    for (ResultRow& row : rows) AddRow(std::move(row));
  }
  virtual void EndOfSearch(int32_t /*found*/) {}
  // Only when warnings were written and the user wants to see them.
  virtual void OpenWarnings(const std::string& /*path*/) {}
  virtual void FinalSort() {}

  // Each warnings line as it is logged (container path and message, no line break). The
  // window has the warnings file; the command-line tool prints them.
  virtual void WarningLine(const std::string& /*line*/) {}
};

// Passes every step on to another host; a host that watches or paces a search derives from
// it and overrides only the steps it cares about.
class ForwardingHost : public SearchHost {
 public:
  explicit ForwardingHost(SearchHost& next) : next_(next) {}

  void Refuse() override { next_.Refuse(); }
  std::string LookInText() override { return next_.LookInText(); }
  std::string FindFilesText() override { return next_.FindFilesText(); }
  void ReplaceLookInText(const std::string& quoted) override { next_.ReplaceLookInText(quoted); }
  void RecordHistories(const std::string& findFiles, const std::string& lookIn) override {
    next_.RecordHistories(findFiles, lookIn);
  }
  void StartOfSearch() override { next_.StartOfSearch(); }
  void ShowElapsed(uint32_t seconds) override { next_.ShowElapsed(seconds); }
  void ShowLookingIn(const std::string& folder) override { next_.ShowLookingIn(folder); }
  void ShowFoundCount(int32_t found) override { next_.ShowFoundCount(found); }
  void ShowNotSearched(const std::string& text) override { next_.ShowNotSearched(text); }
  void AddRow(ResultRow&& row) override { next_.AddRow(std::move(row)); }
  void AddRows(std::vector<ResultRow>&& rows) override { next_.AddRows(std::move(rows)); }
  void EndOfSearch(int32_t found) override { next_.EndOfSearch(found); }
  void OpenWarnings(const std::string& path) override { next_.OpenWarnings(path); }
  void FinalSort() override { next_.FinalSort(); }
  void WarningLine(const std::string& line) override { next_.WarningLine(line); }

 protected:
  SearchHost& next_;
};

// The texts of the window steps.
inline constexpr char kRefusalText[] =
    "You must select at least one file format\nto look into in Options|Advanced options.";
inline constexpr char kFilesFoundSuffix[] = " files found.";
inline constexpr char kNoFilesFound[] = "No files found.";
inline constexpr char kClearingItems[] = "Clearing items, please be patient.";
inline constexpr char kLookingIn[] = "Looking in ";
inline constexpr char kNotSearched[] = "Not found or not readable: ";
inline constexpr char kWarningsFileName[] = "warnings.txt";

// "H:MM:SS" with the hour digit starting again at 0 after ten hours.
std::string ElapsedText(uint32_t seconds);
// "N files found." or "No files found."
std::string FoundCountText(int32_t found);

}  // namespace quillow::search
