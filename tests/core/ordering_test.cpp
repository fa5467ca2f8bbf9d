#include "output/ordering.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace quillow {
namespace {

// The text a kind reads; the other text columns carry the row's input position so that
// stability can be checked.
std::string& KeyOf(search::ResultRow& row, int kind) {
  switch ((kind + 1) / 2) {
    case 1: return row.file;
    case 2: return row.container;
    case 3: return row.modified;
    case 4: return row.size;
    case 5: return row.ratio;
    default: return row.packed;
  }
}

constexpr uint16_t Date(int y, int m, int d) {
  return static_cast<uint16_t>(((y - 1980) << 9) | (m << 5) | d);
}
constexpr uint16_t Time(int h, int m, int s = 0) {
  return static_cast<uint16_t>((h << 11) | (m << 5) | (s / 2));
}

// The DOS words behind a "M/D/YYYY h:mm AM" text (month 13 is a storable field, not a date).
bool DosWords(const std::string& text, search::RowKeys& k) {
  unsigned m, d, y, h, min;
  char half[3] = {};
  if (std::sscanf(text.c_str(), "%u/%u/%u %u:%u %2s", &m, &d, &y, &h, &min, half) != 6)
    return false;
  k.dosDate = Date(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
  k.dosTime = Time(static_cast<int>(h % 12 + (half[0] == 'P' ? 12 : 0)), static_cast<int>(min));
  return true;
}

// The keys the search would have set beside the texts: "?" in Ratio and Packed means a
// packed size of 0.
void SetKeysFromTexts(search::ResultRow& r) {
  r.keys.dated = DosWords(r.modified, r.keys);
  r.keys.size = static_cast<uint32_t>(std::stoul(r.size));
  r.keys.packed = r.packed == "?" ? 0 : static_cast<uint32_t>(std::stoul(r.packed));
  if (r.ratio != "?") r.keys.ratio = std::stoll(r.ratio);
}

// Rows whose one column that `kind` reads holds `keys`, with sizes that keep the other
// columns as shown; the remaining texts carry the input position.
std::vector<search::ResultRow> MakeRows(int kind, const std::vector<std::string>& keys) {
  std::vector<search::ResultRow> rows;
  for (size_t i = 0; i < keys.size(); ++i) {
    search::ResultRow row;
    const std::string tag = std::to_string(i);
    row.file = row.container = tag;
    row.modified = "?";
    row.size = row.packed = "1";
    row.ratio = "0%";
    KeyOf(row, kind) = keys[i];
    if (kind == 7 || kind == 8) row.packed = keys[i];
    if ((kind == 9 || kind == 10 || kind == 11 || kind == 12) && keys[i] == "?")
      row.ratio = row.packed = "?";
    SetKeysFromTexts(row);
    rows.push_back(row);
  }
  return rows;
}

// The tag: whichever text column the kind does not read.
const std::string& TagOf(const search::ResultRow& row, int kind) {
  return (kind + 1) / 2 == 1 ? row.container : row.file;
}

struct OrderCase {
  int kind;
  std::vector<std::string> in, out;
};

TEST(Ordering, EveryKindGivesItsDocumentedOrder) {
  const std::vector<std::string> dates = {"1/2/2003 9:07 AM",   "?",
                                          "12/1/1999 12:05 AM", "1/2/2003 12:30 PM",
                                          "13/1/2003 1:00 PM",  "1/2/2003 12:10 AM",
                                          "1/2/2003 1:00 PM",   "1/2/2003 9:07 AM"};
  const OrderCase cases[] = {
      {1, {"b.txt", "A.TXT", "a.txt"}, {"A.TXT", "a.txt", "b.txt"}},
      {2, {"b.txt", "A.TXT", "c", "a.txt"}, {"c", "b.txt", "A.TXT", "a.txt"}},
      // Shown text decides: CP437 0xE1 is U+00DF, which sorts before UTF-8 U+00E4.
      {1, {"\xC3\xA4", "\xE1"}, {"\xE1", "\xC3\xA4"}},
      {3, {"C:\\z.zip", "C:\\a\\", "c:\\M.zip"}, {"C:\\a\\", "c:\\M.zip", "C:\\z.zip"}},
      {4, {"C:\\z.zip", "C:\\a\\", "c:\\M.zip"}, {"C:\\z.zip", "c:\\M.zip", "C:\\a\\"}},
      {5,
       dates,
       {"1/2/2003 1:00 PM", "1/2/2003 12:30 PM", "1/2/2003 9:07 AM", "1/2/2003 9:07 AM",
        "1/2/2003 12:10 AM", "12/1/1999 12:05 AM", "?", "13/1/2003 1:00 PM"}},
      {6,
       dates,
       {"?", "13/1/2003 1:00 PM", "12/1/1999 12:05 AM", "1/2/2003 12:10 AM", "1/2/2003 9:07 AM",
        "1/2/2003 9:07 AM", "1/2/2003 12:30 PM", "1/2/2003 1:00 PM"}},
      {7,
       {"100", "2147483648", "9", "4294967295", "0"},
       {"0", "9", "100", "2147483648", "4294967295"}},
      {8,
       {"100", "2147483648", "9", "4294967295", "0"},
       {"4294967295", "2147483648", "100", "9", "0"}},
      {9, {"45%", "7%", "?", "-3%"}, {"45%", "7%", "-3%", "?"}},
      {10, {"45%", "7%", "?", "-3%"}, {"?", "-3%", "7%", "45%"}},
      {9, {"-3%", "2%", "-50%", "100%"}, {"100%", "2%", "-3%", "-50%"}},
      {10, {"-3%", "2%", "-50%", "100%"}, {"-50%", "-3%", "2%", "100%"}},
      {11, {"150", "?", "1234", "2147483648", "?"}, {"?", "?", "150", "1234", "2147483648"}},
      {12, {"150", "?", "1234", "2147483648", "?"}, {"2147483648", "1234", "150", "?", "?"}},
  };
  for (const OrderCase& c : cases) {
    std::vector<search::ResultRow> rows = MakeRows(c.kind, c.in);
    output::SortRows(rows, c.kind);
    std::vector<std::string> got;
    for (search::ResultRow& row : rows) got.push_back(KeyOf(row, c.kind));
    EXPECT_EQ(got, c.out) << "kind " << c.kind;
    // RowBefore must agree with the sort, and rows it finds equal keep their search order.
    for (size_t i = 0; i + 1 < rows.size(); ++i) {
      EXPECT_FALSE(output::RowBefore(rows[i + 1], rows[i], c.kind))
          << "kind " << c.kind << " at " << i;
      if (!output::RowBefore(rows[i], rows[i + 1], c.kind)) {
        EXPECT_LT(std::stoi(TagOf(rows[i], c.kind)), std::stoi(TagOf(rows[i + 1], c.kind)))
            << "kind " << c.kind << " at " << i;
      }
    }
  }
}

TEST(Ordering, NoKindLeavesSearchOrder) {
  for (int kind : {0, 13, -1, 1000}) {
    std::vector<search::ResultRow> rows = MakeRows(7, {"3", "1", "2"});
    output::SortRows(rows, kind);
    EXPECT_EQ(rows[0].size + rows[1].size + rows[2].size, "312") << kind;
    EXPECT_FALSE(output::RowBefore(rows[1], rows[0], kind));
  }
}

TEST(Ordering, PlatformTextCompareIsUsed) {
  output::TextCompare reversed = [](std::string_view a, std::string_view b) {
    return b.compare(a);
  };
  std::vector<search::ResultRow> rows = MakeRows(1, {"a", "c", "b"});
  output::SortRows(rows, 1, reversed);
  EXPECT_EQ(rows[0].file + rows[1].file + rows[2].file, "cba");
  EXPECT_TRUE(output::RowBefore(rows[0], rows[1], 1, reversed));
}

TEST(Ordering, ColumnClicksToggleWithinAPairOnly) {
  int kind = 0;
  std::vector<int> seen;
  enum { kFile, kArchive, kModified, kSize, kRatio, kPacked };
  for (int column : {kSize, kSize, kSize, kFile, kModified, kRatio, kRatio}) {
    kind = output::ColumnClickKind(kind, column);
    seen.push_back(kind);
  }
  EXPECT_EQ(seen, (std::vector<int>{7, 8, 7, 1, 5, 9, 10}));
  EXPECT_EQ(output::ColumnClickKind(2, kFile), 1);
  EXPECT_EQ(output::ColumnClickKind(11, kPacked), 12);
  EXPECT_EQ(output::ColumnClickKind(3, kArchive), 4);
  EXPECT_EQ(output::ColumnClickKind(8, 6), 8);
  EXPECT_EQ(output::ColumnClickKind(8, -1), 8);
}

TEST(Ordering, DosTimesHaveAMinuteOnlyWhenTheyNameARealOne) {
  int64_t before = 0, after = 0, noon = 0, early = 0, late = 0;
  ASSERT_TRUE(output::ModifiedMinutes(Date(2004, 2, 28), Time(23, 59), before));
  ASSERT_TRUE(output::ModifiedMinutes(Date(2004, 2, 29), Time(0, 0), after));
  ASSERT_TRUE(output::ModifiedMinutes(Date(2004, 2, 29), Time(12, 0), noon));
  EXPECT_EQ(after - before, 1);
  EXPECT_EQ(noon - after, 720);
  int64_t first = -1;
  ASSERT_TRUE(output::ModifiedMinutes(Date(1980, 1, 1), 0, first));
  EXPECT_EQ(first, 3652 * 1440);  // days from 1970 to 1980
  // Seconds are not shown: the same minute is the same value.
  ASSERT_TRUE(output::ModifiedMinutes(Date(2001, 1, 1), Time(1, 2, 4), early));
  ASSERT_TRUE(output::ModifiedMinutes(Date(2001, 1, 1), Time(1, 2, 58), late));
  EXPECT_EQ(early, late);
  const struct {
    uint16_t date, time;
  } bad[] = {{0, 0},
             {Date(2001, 2, 29), Time(13, 0)},
             {Date(2001, 13, 1), Time(1, 0)},
             {Date(2001, 1, 0), Time(1, 0)},
             {Date(2001, 1, 1), Time(24, 5)},
             {Date(2001, 1, 1), Time(1, 60)}};
  for (const auto& b : bad) {
    int64_t m = 0;
    EXPECT_FALSE(output::ModifiedMinutes(b.date, b.time, m)) << b.date << " " << b.time;
  }
}

// The sort takes a precomputed fast path; RowBefore reads the texts directly. Over many rows
// with shared prefixes, names around the 8-byte mark, mixed case, "?" and unreadable values,
// the two must agree and ties must keep search order.
TEST(Ordering, SortAgreesWithRowBeforeOnManyRows) {
  std::mt19937 rng(7);
  const std::vector<std::string> stems = {
      "a",     "A", "readme", "README.TXT", "readme.txt", "C:\\data\\archive", "c:\\DATA\\arch",
      "\xE1x", ""};
  auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
  std::vector<search::ResultRow> rows(20000);
  for (size_t i = 0; i < rows.size(); ++i) {
    search::ResultRow& r = rows[i];
    r.file = pick(stems) + std::string(rng() % 3, static_cast<char>('a' + rng() % 3));
    r.container = pick(stems) + std::to_string(rng() % 20) + "\\";
    r.modified = std::to_string(1 + rng() % 12) + "/" + std::to_string(1 + rng() % 28) + "/2001 " +
                 std::to_string(1 + rng() % 12) + ":0" + std::to_string(rng() % 3) +
                 (rng() % 2 ? " AM" : " PM");
    if (rng() % 10 == 0) r.modified = "?";
    r.size = std::to_string(rng() % 50);
    const bool packed = rng() % 10 != 0;
    r.ratio = packed ? std::to_string(static_cast<int>(rng() % 40) - 20) + "%" : "?";
    r.packed = packed ? std::to_string(1 + rng() % 50) : "?";
    SetKeysFromTexts(r);
    if (r.keys.size == 0 && packed) r.keys.size = 1;
  }
  // Once as they are, once with every name and folder starting alike in any letter case (as
  // the paths of one search do), so that the sort's key starts after the shared part.
  for (const std::string common : {"", "D:\\Users\\Me\\Work\\"}) {
    std::vector<search::ResultRow> base = rows;
    for (search::ResultRow& r : base)
      for (std::string* text : {&r.file, &r.container}) {
        std::string start = common;
        for (char& c : start)
          if (rng() % 2) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        *text = start + *text;
      }
    for (int kind = 1; kind < output::kSortKinds; ++kind) {
      // The input position goes into a column this kind does not read.
      std::string search::ResultRow::*tag =
          kind == 7 || kind == 8 ? &search::ResultRow::ratio : &search::ResultRow::size;
      std::vector<search::ResultRow> sorted = base;
      for (size_t i = 0; i < sorted.size(); ++i) sorted[i].*tag = std::to_string(i);
      output::SortRows(sorted, kind);
      for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        ASSERT_FALSE(output::RowBefore(sorted[i + 1], sorted[i], kind))
            << "kind " << kind << " at " << i;
        if (!output::RowBefore(sorted[i], sorted[i + 1], kind)) {
          ASSERT_LT(std::stoul(sorted[i].*tag), std::stoul(sorted[i + 1].*tag))
              << "kind " << kind << " at " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace quillow
