// Types the whole search shares: options, the archive type set, the result row.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quillow {

// One-byte flags: 0 off, anything else on. Named after their settings values.
struct SearchOptions {
  uint8_t CaseSensitive = 0;
  uint8_t SubFolders = 1;
  uint8_t CountOnly = 0;
  uint8_t ShowWarnings = 1;
};

inline constexpr int kTypeCount = 15;
enum TypeIndex : int {
  kZip = 0, kRar, kWad, kGrp, kArj, kLzh, kZoo, kTar, kArc, kPak, kFolders, kHyp, kSqz, kCab, kAce
};

// Fifteen flags in type-table order; fresh start: all on.
struct ArchiveTypeSet {
  std::array<uint8_t, kTypeCount> on{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  bool Any() const {
    for (uint8_t f : on)
      if (f) return true;
    return false;
  }
};

// The six column texts of one hit. A row is a plain folder entry exactly when its container
// text ends in the path separator.
struct ResultRow {
  std::string file;
  std::string container;
  std::string modified;
  std::string size;
  std::string ratio;
  std::string packed;
};

}  // namespace quillow
