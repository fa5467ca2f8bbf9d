// Loading and saving every setting: the registry key of the current user (through any
// key/value store), and the one-time move from the legacy configuration file of older
// releases.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "settings/key_value_store.h"
#include "settings/settings.h"

namespace quillow::settings {

inline constexpr char kMainKey[] = "Software\\Ostrel\\Quillow";
inline constexpr char kArchiveTypesKey[] = "Software\\Ostrel\\Quillow\\ArchiveTypes";
inline constexpr char kOldSearchesKey[] = "Software\\Ostrel\\Quillow\\OldSearches";
inline constexpr char kMarkerValue[] = "DoNotDeleteMe";
inline constexpr char kLegacyFileName[] = "quillow.cfg";
extern const char kLegacyQuestion[];

// SavePath lives in a 260-byte field with its terminator.
inline constexpr size_t kSavePathLimit = 259;

// Block 2 of a legacy file: the window placement and the histories it held.
struct LegacyWindow {
  WindowPlacement placement;
  std::vector<std::string> folders, files;  // the non-empty texts, in stored order
};

struct LoadOutcome {
  bool fromRegistry = false;
  bool stateStored = false;      // the registry said whether the window was maximized
  bool migrated = false;         // a legacy file was read
  bool windowBlockRead = false;  // ... and it held at least one byte of block 2
  LegacyWindow window;
};

// Loads into `settings`. Its Placement holds the form's own placement on entry: a missing
// value keeps it. Without the marker, the legacy
// file in `programFolder` (which ends in the separator) is read, `askDeleteLegacy` is
// asked the question (true for Yes), and everything is saved at once.
LoadOutcome LoadSettings(KeyValueStore& store, const std::string& programFolder,
                         AppSettings& settings, const std::function<bool()>& askDeleteLegacy);

// Rewrites every value. False when a key could not be opened or a value not written.
bool SaveSettings(KeyValueStore& store, const AppSettings& settings);

}  // namespace quillow::settings
