// Types the whole search shares: options, the archive type set, the result row.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>

namespace quillow::search {

// One-byte flags: 0 off, anything else on. Named after their settings values.
struct SearchOptions {
  uint8_t CaseSensitive = 0;
  uint8_t SubFolders = 1;
  uint8_t CountOnly = 0;
  uint8_t ShowWarnings = 1;
  // ZIP archives read from their central directory, and the ZIP pass also opens the
  // ZIP-family extensions (.jar, .docx, ...).
  uint8_t ZipCentralDirectory = 0;
};

inline constexpr int kTypeCount = 16;
enum TypeIndex : int {
  kZip = 0,
  kRar,
  kWad,
  kGrp,
  kArj,
  kLzh,
  kZoo,
  kTar,
  kArc,
  kPak,
  kFolders,
  kHyp,
  kSqz,
  kCab,
  kAce,
  k7z
};

// Sixteen flags in type-table order; fresh start: all on.
struct ArchiveTypeSet {
  std::array<uint8_t, kTypeCount> on{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  bool Any() const {
    for (uint8_t f : on)
      if (f) return true;
    return false;
  }
};

// The values behind a row's texts, set once when the row is made, so that sorting never
// reads numbers or dates back from the texts.
struct RowKeys {
  uint32_t size = 0;
  uint32_t packed = 0;  // Ratio and Packed are "?" when this or size is 0
  int64_t ratio = 0;    // the Ratio column's number, when it has one
  uint16_t dosDate = 0;
  uint16_t dosTime = 0;
  bool dated = false;  // false: Modified is "?"
  bool folderEntry = false;
};

// The six column texts of one hit. A row is a plain folder entry exactly when its container
// text ends in the path separator.
struct ResultRow {
  ResultRow() = default;
  ResultRow(std::string file_, std::string container_, std::string modified_, std::string size_,
            std::string ratio_, std::string packed_, RowKeys keys_ = {})
      : file(std::move(file_)),
        container(std::move(container_)),
        modified(std::move(modified_)),
        size(std::move(size_)),
        ratio(std::move(ratio_)),
        packed(std::move(packed_)),
        keys(keys_) {}

  std::string file;
  std::string container;
  std::string modified;
  std::string size;
  std::string ratio;
  std::string packed;
  RowKeys keys;
};

}  // namespace quillow::search
