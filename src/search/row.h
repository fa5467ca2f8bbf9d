// The result row: the six column texts of one hit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "search/types.h"

namespace quillow {

// "M/D/YYYY h:mm AM" from DOS date and time words; fields used as stored.
std::string DateText(uint16_t dosDate, uint16_t dosTime);

// Ratio column: 100 - packed/size*100 truncated toward zero, with "%"; "?" when either is 0.
std::string RatioText(uint32_t size, uint32_t packed);

// Makes the row of one hit. `sep` is the separator added after a folder entry's container.
ResultRow MakeRow(std::string_view name, std::string_view container, uint16_t dosDate,
                  uint16_t dosTime, uint32_t size, uint32_t packed, bool folderEntry, char sep);

}  // namespace quillow
