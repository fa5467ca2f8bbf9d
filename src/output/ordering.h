// Order of the results list: thirteen sort kinds, two per column plus "none".
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "search/types.h"

namespace quillow::output {

inline constexpr int kSortKinds = 13;  // 0..12

inline constexpr std::array<std::string_view, 6> kColumnCaptions = {
    "File", "Archive/Folder", "Modified", "Size", "Ratio", "Packed"};

// What each kind orders by: 0 keeps the search order; then two kinds per column, the first
// a click on the column gives and the second a click again.
struct SortKindInfo {
  int column;  // index into kColumnCaptions; -1 for kind 0
  bool descending;
  std::string_view order;  // for help texts
};
inline constexpr std::array<SortKindInfo, kSortKinds> kSortKindTable = {{
    {-1, false, "search order"},
    {0, false, "A-Z"},
    {0, true, "Z-A"},
    {1, false, "A-Z"},
    {1, true, "Z-A"},
    {2, true, "newest first"},
    {2, false, "oldest first"},
    {3, false, "smallest first"},
    {3, true, "largest first"},
    {4, true, "highest first"},
    {4, false, "lowest first"},
    {5, false, "smallest first"},
    {5, true, "largest first"},
}};

// Text comparison of the File and Archive/Folder kinds, giving negative, zero or positive.
// The default folds ASCII letters and compares bytes; a platform may hand in its own
// (a locale-aware one) through the overloads below.
using TextCompare = int (*)(std::string_view a, std::string_view b);
int CompareTextNoCase(std::string_view a, std::string_view b);

// Strict weak ordering "a stands before b" for sort kind `kind` (0..12; other values: no
// order), from the row's keys and shown names (see DisplayName). Rows whose Modified, Ratio
// or Packed value is "?" (or names no real date) rank below every real value.
bool RowBefore(const search::ResultRow& a, const search::ResultRow& b, int kind);
bool RowBefore(const search::ResultRow& a, const search::ResultRow& b, int kind,
               TextCompare compare);

// Stable: rows with equal keys keep the order the search found them in. Kind 0 and any
// value outside 1..12 leave the rows as they are.
void SortRows(std::vector<search::ResultRow>& rows, int kind);
void SortRows(std::vector<search::ResultRow>& rows, int kind, TextCompare compare);

// Column click on column 0..5 (File, Archive/Folder, Modified, Size, Ratio, Packed) -> new
// kind: the odd member of the column's pair unless `current` already is that odd member,
// then the even one. Any other column leaves `current` unchanged.
int ColumnClickKind(int current, int column);

// The minute a DOS date and time name (minutes since 1 January 1970); false when they name
// no real date and time (month 0, 31 February, hour 24...), which is ordered like "?".
bool ModifiedMinutes(uint16_t dosDate, uint16_t dosTime, int64_t& minutes);

}  // namespace quillow::output
