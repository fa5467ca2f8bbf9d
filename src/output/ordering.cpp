#include "output/ordering.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string>

#include "base/ascii.h"
#include "output/display_text.h"

namespace quillow::output {

namespace {

// "?" and anything unreadable rank below every real value, so that ascending kinds put
// them first and descending kinds last, as the column table asks.
constexpr int64_t kNoValue = std::numeric_limits<int64_t>::min();

enum class KeyKind { kNone, kFile, kContainer, kModified, kSize, kRatio, kPacked };

struct KindInfo {
  KeyKind key;
  bool descending;
};

// KeyKind follows the column order after kNone.
KindInfo InfoOf(int kind) {
  if (kind < 0 || kind >= kSortKinds) return {KeyKind::kNone, false};
  const SortKindInfo& k = kSortKindTable[static_cast<size_t>(kind)];
  return {static_cast<KeyKind>(k.column + 1), k.descending};
}

int64_t NumberKey(const search::ResultRow& row, KeyKind key) {
  const search::RowKeys& k = row.keys;
  // Ratio and Packed have a value only where both sizes are non-zero (else they show "?").
  const bool compressed = k.size != 0 && k.packed != 0;
  switch (key) {
    case KeyKind::kModified: {
      int64_t minutes;
      return k.dated && ModifiedMinutes(k.dosDate, k.dosTime, minutes) ? minutes : kNoValue;
    }
    case KeyKind::kSize: return k.size;
    case KeyKind::kRatio: return compressed ? k.ratio : kNoValue;
    case KeyKind::kPacked: return compressed ? k.packed : kNoValue;
    default: return 0;
  }
}

// The text a name kind sorts by: the one the row shows (see HasStoredName).
std::string_view TextOf(const search::ResultRow& row, KeyKind key, std::string& scratch) {
  return key == KeyKind::kFile ? ShownFile(row, Controls::kKeep, scratch)
                               : ShownContainer(row, Controls::kKeep, scratch);
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1 January 1970 to the given civil date (proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// Eight leading bytes of a folded text, big-endian, so that most comparisons of a text sort
// are one integer compare. Zero padding keeps the order of a shorter text that is a prefix.
uint64_t FoldedPrefix(std::string_view s) {
  uint64_t key = 0;
  for (size_t i = 0; i < 8; ++i) {
    key <<= 8;
    if (i < s.size()) key |= static_cast<uint8_t>(s[i]);
  }
  return key;
}

struct NumberEntry {
  int64_t key;
  size_t index;
};

// Puts row entries[k].index at position k. Done in place, cycle by cycle: a million rows
// are far too big to copy into a second vector just to reorder them.
void Permute(std::vector<search::ResultRow>& rows, const auto& entries) {
  constexpr size_t kPlaced = SIZE_MAX;
  std::vector<size_t> from(entries.size());
  for (size_t k = 0; k < entries.size(); ++k) from[k] = entries[k].index;
  for (size_t start = 0; start < from.size(); ++start) {
    if (from[start] == kPlaced) continue;
    if (from[start] == start) {
      from[start] = kPlaced;
      continue;
    }
    search::ResultRow held = std::move(rows[start]);
    size_t to = start;
    while (from[to] != start) {
      const size_t next = from[to];
      rows[to] = std::move(rows[next]);
      from[to] = kPlaced;
      to = next;
    }
    rows[to] = std::move(held);
    from[to] = kPlaced;
  }
}

void SortByNumber(std::vector<search::ResultRow>& rows, KindInfo info) {
  std::vector<NumberEntry> entries(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const int64_t key = NumberKey(rows[i], info.key);
    // ~key reverses the order without the overflow that negating kNoValue would cause.
    entries[i] = {info.descending ? ~key : key, i};
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const NumberEntry& a, const NumberEntry& b) { return a.key < b.key; });
  Permute(rows, entries);
}

// Default comparison: every shown text is folded once into one buffer, so that a compare
// is an integer test on the leading bytes and, only when those tie, one memcmp.
void SortByFoldedText(std::vector<search::ResultRow>& rows, KindInfo info) {
  // Sixteen leading bytes: names that differ only in a number after a common stem
  // ("archive0042.zip") would tie on eight and fall through to memcmp nearly every time.
  struct Entry {
    uint64_t prefix, next;
    size_t offset, length, index;
  };
  std::string folded, scratch;
  size_t total = 0;
  for (const search::ResultRow& row : rows) total += TextOf(row, info.key, scratch).size();
  folded.reserve(total);
  std::vector<Entry> entries(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string_view text = TextOf(rows[i], info.key, scratch);
    const size_t offset = folded.size();
    for (char c : text) folded += base::FoldAscii(c);
    entries[i] = {0, 0, offset, text.size(), i};
  }
  const char* base = folded.data();
  // Folder paths of one search mostly start alike ("C:\Users\..."): the integer prefix is
  // taken after the part every text shares, so that it still tells most of them apart.
  size_t shared = entries.empty() ? 0 : entries[0].length;
  for (size_t i = 1; i < entries.size() && shared > 0; ++i) {
    const size_t n = std::min(shared, entries[i].length);
    size_t k = 0;
    while (k < n && base[entries[0].offset + k] == base[entries[i].offset + k]) ++k;
    shared = k;
  }
  for (Entry& e : entries) {
    const std::string_view rest(base + e.offset + shared, e.length - shared);
    e.prefix = FoldedPrefix(rest);
    e.next = rest.size() > 8 ? FoldedPrefix(rest.substr(8)) : 0;
  }
  auto less = [base, shared](const Entry& a, const Entry& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    if (a.next != b.next) return a.next < b.next;
    // Equal prefixes and a text that ends within them: that text is a prefix of the other.
    const size_t seen = shared + 16;
    if (a.length <= seen || b.length <= seen) return a.length < b.length;
    const int c = std::memcmp(base + a.offset + seen, base + b.offset + seen,
                              std::min(a.length, b.length) - seen);
    return c != 0 ? c < 0 : a.length < b.length;
  };
  if (info.descending)
    std::stable_sort(entries.begin(), entries.end(),
                     [&less](const Entry& a, const Entry& b) { return less(b, a); });
  else
    std::stable_sort(entries.begin(), entries.end(), less);
  Permute(rows, entries);
}

// A platform comparison is called as it is; only texts that are not UTF-8 get a copy.
void SortByText(std::vector<search::ResultRow>& rows, KindInfo info, TextCompare compare) {
  std::vector<std::string> decoded;
  std::vector<size_t> decodedOf(rows.size(), SIZE_MAX);
  std::string scratch;
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string_view text = TextOf(rows[i], info.key, scratch);
    if (text.data() == scratch.data()) {
      decodedOf[i] = decoded.size();
      decoded.push_back(std::move(scratch));
      scratch.clear();
    }
  }
  struct Entry {
    std::string_view text;
    size_t index;
  };
  std::vector<Entry> entries(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    entries[i] = {decodedOf[i] == SIZE_MAX ? TextOf(rows[i], info.key, scratch)
                                           : std::string_view(decoded[decodedOf[i]]),
                  i};
  }
  const bool descending = info.descending;
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    const int c = compare(a.text, b.text);
    return descending ? c > 0 : c < 0;
  });
  Permute(rows, entries);
}

}  // namespace

int CompareTextNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<uint8_t>(base::FoldAscii(a[i]));
    const auto cb = static_cast<uint8_t>(base::FoldAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool RowBefore(const search::ResultRow& a, const search::ResultRow& b, int kind) {
  return RowBefore(a, b, kind, CompareTextNoCase);
}

bool RowBefore(const search::ResultRow& a, const search::ResultRow& b, int kind,
               TextCompare compare) {
  const KindInfo info = InfoOf(kind);
  switch (info.key) {
    case KeyKind::kNone: return false;
    case KeyKind::kFile:
    case KeyKind::kContainer: {
      std::string scratchA, scratchB;
      const int c = compare(TextOf(a, info.key, scratchA), TextOf(b, info.key, scratchB));
      return info.descending ? c > 0 : c < 0;
    }
    default: {
      const int64_t ka = NumberKey(a, info.key), kb = NumberKey(b, info.key);
      return info.descending ? ka > kb : ka < kb;
    }
  }
}

void SortRows(std::vector<search::ResultRow>& rows, int kind) {
  SortRows(rows, kind, CompareTextNoCase);
}

void SortRows(std::vector<search::ResultRow>& rows, int kind, TextCompare compare) {
  const KindInfo info = InfoOf(kind);
  switch (info.key) {
    case KeyKind::kNone: return;
    case KeyKind::kFile:
    case KeyKind::kContainer:
      if (compare == CompareTextNoCase)
        SortByFoldedText(rows, info);
      else
        SortByText(rows, info, compare);
      return;
    default: SortByNumber(rows, info); return;
  }
}

int ColumnClickKind(int current, int column) {
  if (column < 0 || column >= 6) return current;
  const int odd = 2 * column + 1;
  return current == odd ? odd + 1 : odd;
}

bool ModifiedMinutes(uint16_t dosDate, uint16_t dosTime, int64_t& minutes) {
  const int month = (dosDate >> 5) & 15, day = dosDate & 31, year = (dosDate >> 9) + 1980;
  const int hour = dosTime >> 11, minute = (dosTime >> 5) & 63;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59)
    return false;
  // Seconds are not shown, so two rows of the same minute are equal.
  minutes = DaysFromCivil(year, month, day) * 1440 + hour * 60 + minute;
  return true;
}

}  // namespace quillow::output
