// The user side of one search. The search talks to whoever runs it (the main window, the
// command-line tool, the tests) only through these steps, in this order: refusal (instead
// of everything else), or the input texts and histories, then the start of the search,
// status texts and rows while it runs, the end of the search, the warnings file and the
// final sort. A window implementation carries each step out on its own thread, in order.
#pragma once

#include <cstdint>
#include <string>

#include "search/types.h"

namespace quillow {

class SearchHost {
 public:
  virtual ~SearchHost() = default;

  // Every source is off: "You must select at least one file format..." and nothing else.
  virtual void Refuse() = 0;
  // The two input texts, read when the search starts; the search waits for them.
  virtual std::string LookInText() = 0;
  virtual std::string FindFilesText() = 0;
  // The Look-in text named one folder with a space: the box now shows it within quotes.
  virtual void ReplaceLookInText(const std::string& quoted) = 0;
  virtual void RecordHistories(const std::string& findFiles, const std::string& lookIn) = 0;

  virtual void StartOfSearch() = 0;
  virtual void ShowElapsed(uint32_t seconds) = 0;
  virtual void ShowLookingIn(const std::string& folder) = 0;
  virtual void ShowFoundCount(int32_t found) = 0;
  virtual void AddRow(ResultRow&& row) = 0;
  virtual void EndOfSearch(int32_t found) = 0;
  // Only when warnings were written and the user wants to see them.
  virtual void OpenWarnings(const std::string& path) = 0;
  virtual void FinalSort() = 0;

  // Each warnings line as it is logged (container path and message, no line break). The
  // window has the warnings file; the command-line tool prints them.
  virtual void WarningLine(const std::string& /*line*/) {}
};

// The texts of the window steps.
inline constexpr char kRefusalText[] =
    "You must select at least one file format\nto look into in Options|Advanced options.";
inline constexpr char kFilesFoundSuffix[] = " files found.";
inline constexpr char kNoFilesFound[] = "No files found.";
inline constexpr char kClearingItems[] = "Clearing items, please be patient.";
inline constexpr char kLookingIn[] = "Looking in ";
inline constexpr char kWarningsFileName[] = "warnings.txt";

// "H:MM:SS" with the hour digit starting again at 0 after ten hours.
std::string ElapsedText(uint32_t seconds);
// "N files found." or "No files found."
std::string FoundCountText(int32_t found);

}  // namespace quillow
