// Everything the program remembers from one run to the next, in one object the main window
// owns. The controls are filled from it when the window is made, and it is brought up to
// date from them before it is saved, so the settings store loads and saves this alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/writers.h"
#include "search/types.h"

namespace quillow::settings {

// Entries each input box remembers, newest first; the store keeps as many.
inline constexpr size_t kHistoryLimit = 10;

// The main window's bounds in pixels. `known` stays false until a load (or the window
// itself) has given them; the form then keeps the placement it was made with.
struct WindowPlacement {
  bool maximized = false;
  int32_t width = 0, height = 0, left = 0, top = 0;
  bool known = false;
};

// Fields are named after their registry values where the store has one; every default is
// the fresh-start value.
struct AppSettings {
  search::SearchOptions Options;        // the four search flags and ZipCentralDirectory
  search::ArchiveTypeSet ArchiveTypes;  // fifteen flags in type-table order
  output::HtmlStyle Html;               // the five colours, Hyperlinks, TableBorders
  uint8_t LaunchViewer = 0;
  uint8_t FilterIndex = 1;  // 1 text, 2 HTML; one byte, as the save dialog keeps it
  std::string SavePath = "C:\\";
  output::SaveColumns Columns;  // IncludeDateTime, IncludeSize, IncludeRatio, IncludePacked
  uint8_t SaveTextWithTabs = 0;
  int32_t SortType = 0;                    // the results list's tag: sort kind 0 to 12
  std::vector<std::string> FolderHistory;  // "Look in:", newest first
  std::vector<std::string> FilesHistory;   // "Find files named:", newest first
  WindowPlacement Placement;
};

}  // namespace quillow::settings
