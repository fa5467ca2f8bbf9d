// The binary configuration file of older releases: two blocks, read one after the other.
#pragma once

#include <string>

#include "settings/settings_store.h"

namespace quillow::settings {

inline constexpr size_t kOptionsBlockSize = 304;
inline constexpr size_t kWindowBlockSize = 5224;

struct LegacyBlocks {
  bool windowBlockRead = false;  // the second read gave at least one byte
  LegacyWindow window;
};

// Reads the file at `path` into `settings` (options, colours, save choices, the archive
// types 0 to 13; ACE and everything the file is too short for keep their values) and its
// window block into `blocks`. False when the file cannot be opened.
bool ReadLegacyFile(const std::string& path, AppSettings& settings, LegacyBlocks& blocks);

}  // namespace quillow::settings
