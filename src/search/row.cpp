#include "search/row.h"

#include <charconv>

#include "base/ascii.h"

namespace quillow::search {

namespace {

template <typename Integer>
void AppendNumber(std::string& out, Integer v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

}  // namespace

namespace {

void AppendDateText(std::string& s, uint16_t d, uint16_t t) {
  const unsigned month = (d >> 5) & 15, day = d & 31, year = (d >> 9) + 1980u;
  const unsigned hour = t >> 11, minute = (t >> 5) & 63;
  unsigned shown = hour;
  if (hour > 12) shown = hour - 12;
  if (hour == 0) shown = 12;
  AppendNumber(s, month);
  s += '/';
  AppendNumber(s, day);
  s += '/';
  AppendNumber(s, year);
  s += ' ';
  AppendNumber(s, shown);
  s += ':';
  if (minute < 10) s += '0';
  AppendNumber(s, minute);
  s += hour >= 12 ? " PM" : " AM";
}

}  // namespace

std::string DateText(uint16_t d, uint16_t t) {
  std::string s;
  s.reserve(20);
  AppendDateText(s, d, t);
  return s;
}

int64_t RatioValue(uint32_t size, uint32_t packed) {
  // Exact integer form of trunc(100 - packed / size * 100): no rounding error can move a
  // ratio that is a whole number (size 10, packed 3 is 70%, not 69%).
  const int64_t num = 100 * (static_cast<int64_t>(size) - static_cast<int64_t>(packed));
  return num / static_cast<int64_t>(size);
}

std::string RatioText(uint32_t size, uint32_t packed) {
  if (size == 0 || packed == 0) return "?";
  std::string s = std::to_string(RatioValue(size, packed));
  s += '%';
  return s;
}

void FillRow(ResultRow& row, std::string_view name, std::string_view container, uint16_t dosDate,
             uint16_t dosTime, uint32_t size, uint32_t packed, bool folderEntry, char sep,
             bool dated) {
  row.keys = {size, packed, 0, dosDate, dosTime, dated, folderEntry};
  row.file.assign(name);
  row.container.assign(container);
  row.modified.clear();
  if (dated)
    AppendDateText(row.modified, dosDate, dosTime);
  else
    row.modified = "?";
  row.size.clear();
  row.ratio.clear();
  row.packed.clear();
  AppendNumber(row.size, size);
  if (size != 0 && packed != 0) {
    row.keys.ratio = RatioValue(size, packed);
    AppendNumber(row.ratio, row.keys.ratio);  // below zero where packing grew the member
    row.ratio += '%';
    AppendNumber(row.packed, packed);
  } else {
    row.ratio = "?";
    row.packed = "?";
  }
  if (folderEntry) row.container += sep;
}

ResultRow MakeRow(std::string_view name, std::string_view container, uint16_t dosDate,
                  uint16_t dosTime, uint32_t size, uint32_t packed, bool folderEntry, char sep,
                  bool dated) {
  ResultRow row;
  FillRow(row, name, container, dosDate, dosTime, size, packed, folderEntry, sep, dated);
  return row;
}

}  // namespace quillow::search
