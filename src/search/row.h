// The result row: the six column texts of one hit and the values behind them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "search/types.h"

namespace quillow::search {

// "M/D/YYYY h:mm AM" from DOS date and time words; fields used as stored.
std::string DateText(uint16_t dosDate, uint16_t dosTime);

// Ratio column: 100 - packed/size*100 truncated toward zero, with "%"; "?" when either is 0.
std::string RatioText(uint32_t size, uint32_t packed);

// Ratio as a number: 100 - packed/size*100 truncated toward zero (size must not be 0).
int64_t RatioValue(uint32_t size, uint32_t packed);

// Makes the row of one hit, texts and keys. `sep` is the separator added after a folder
// entry's container; `dated` is false for sources that store no time of their own (TAR),
// whose Modified text is "?".
ResultRow MakeRow(std::string_view name, std::string_view container, uint16_t dosDate,
                  uint16_t dosTime, uint32_t size, uint32_t packed, bool folderEntry, char sep,
                  bool dated);
// The same into an existing row, whose texts keep their room: a search reuses one row for
// every hit that its host does not keep.
void FillRow(ResultRow& row, std::string_view name, std::string_view container, uint16_t dosDate,
             uint16_t dosTime, uint32_t size, uint32_t packed, bool folderEntry, char sep,
             bool dated);

}  // namespace quillow::search
