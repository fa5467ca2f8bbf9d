// The six column texts of a result row.
#include "search/row.h"

#include <gtest/gtest.h>

#include "search/search_host.h"

namespace quillow {
namespace {

constexpr uint16_t Date(int y, int m, int d) {
  return static_cast<uint16_t>(((y - 1980) << 9) | (m << 5) | d);
}
constexpr uint16_t Time(int h, int m, int s) {
  return static_cast<uint16_t>((h << 11) | (m << 5) | (s / 2));
}

TEST(RowTexts, DateText) {
  EXPECT_EQ(search::DateText(Date(2001, 3, 15), Time(15, 18, 40)), "3/15/2001 3:18 PM");
  EXPECT_EQ(search::DateText(0, 0), "0/0/1980 12:00 AM");
  EXPECT_EQ(search::DateText(Date(2001, 3, 15), Time(12, 5, 0)), "3/15/2001 12:05 PM");
  EXPECT_EQ(search::DateText(Date(2001, 3, 15), Time(0, 7, 0)), "3/15/2001 12:07 AM");
  EXPECT_EQ(search::DateText(Date(2107, 12, 31), Time(23, 59, 58)), "12/31/2107 11:59 PM");
  // Fields are used as stored, out-of-range values included.
  EXPECT_EQ(search::DateText(0xFFFF, 0xFFFF), "15/31/2107 19:63 PM");
}

TEST(RowTexts, RatioTruncatesTowardZeroWithUnsignedOperands) {
  EXPECT_EQ(search::RatioText(1000, 301), "69%");
  EXPECT_EQ(search::RatioText(100, 150), "-50%");
  EXPECT_EQ(search::RatioText(10, 3), "70%");  // exact: no floating-point 69.999...
  EXPECT_EQ(search::RatioText(3, 1), "66%");
  EXPECT_EQ(search::RatioText(1234, 1234), "0%");
  EXPECT_EQ(search::RatioText(3, 4), "-33%");
  EXPECT_EQ(search::RatioText(0x80000000u, 0x40000000u), "50%");  // not negative operands
  EXPECT_EQ(search::RatioText(1, 0xFFFFFFFFu), "-429496729400%");
  EXPECT_EQ(search::RatioText(0, 5), "?");
  EXPECT_EQ(search::RatioText(5, 0), "?");
}

TEST(RowTexts, ArchiveMemberAndFolderEntryRows) {
  search::ResultRow member = search::MakeRow("docs/readme.txt", "C:\\a\\b.zip", Date(2001, 3, 15),
                                             Time(15, 18, 40), 1000, 301, false, '\\', true);
  EXPECT_EQ(member.file, "docs/readme.txt");
  EXPECT_EQ(member.container, "C:\\a\\b.zip");
  EXPECT_EQ(member.modified, "3/15/2001 3:18 PM");
  EXPECT_EQ(member.size, "1000");
  EXPECT_EQ(member.ratio, "69%");
  EXPECT_EQ(member.packed, "301");

  search::ResultRow file =
      search::MakeRow("notes.txt", "C:\\a", Date(2001, 3, 15), 0, 1234, 1234, true, '\\', true);
  EXPECT_EQ(file.container, "C:\\a\\");
  EXPECT_EQ(file.ratio, "0%");
  EXPECT_EQ(file.packed, "1234");

  search::ResultRow folder = search::MakeRow("sub", "/home/u", 0, 0, 0, 0, true, '/', true);
  EXPECT_EQ(folder.container, "/home/u/");
  EXPECT_EQ(folder.size, "0");
  EXPECT_EQ(folder.ratio, "?");
  EXPECT_EQ(folder.packed, "?");

  search::ResultRow cab = search::MakeRow("a.txt", "x.cab", 1, 1, 500, 0, false, '\\', true);
  EXPECT_EQ(cab.ratio, "?");
  EXPECT_EQ(cab.packed, "?");

  search::ResultRow big =
      search::MakeRow("big.iso", "x.zip", 1, 1, 0xFFFFFFFFu, 0x80000000u, false, '\\', true);
  EXPECT_EQ(big.size, "4294967295");
  EXPECT_EQ(big.packed, "2147483648");
}

TEST(RowTexts, UndatedSourcesShowNoDateWhateverTheirName) {
  // The walk says which source stores no time (TAR); the container's name plays no part.
  EXPECT_EQ(search::MakeRow("a", "D:\\x.zip", 1, 1, 1, 1, false, '\\', false).modified, "?");
  EXPECT_NE(search::MakeRow("notes.txt", "C:\\x.tar", 1, 1, 1, 1, true, '\\', true).modified, "?");
}

TEST(RowTexts, KeysCarryTheValuesBehindTheTexts) {
  const search::ResultRow r = search::MakeRow("a", "C:\\x", Date(2001, 3, 15), Time(15, 18, 40),
                                              100, 150, true, '\\', true);
  EXPECT_EQ(r.keys.size, 100u);
  EXPECT_EQ(r.keys.packed, 150u);
  EXPECT_EQ(r.keys.ratio, -50);
  EXPECT_EQ(r.keys.dosDate, Date(2001, 3, 15));
  EXPECT_EQ(r.keys.dosTime, Time(15, 18, 40));
  EXPECT_TRUE(r.keys.dated);
  EXPECT_TRUE(r.keys.folderEntry);
  EXPECT_FALSE(search::MakeRow("a", "x.tar", 1, 1, 1, 1, false, '\\', false).keys.dated);
}

TEST(RowTexts, StatusTexts) {
  EXPECT_EQ(search::ElapsedText(0), "0:00:00");
  EXPECT_EQ(search::ElapsedText(3 * 3600 + 5 * 60 + 9), "3:05:09");
  EXPECT_EQ(search::ElapsedText(36000 + 61),
            "0:01:01");  // the hour digit starts again after ten hours
  EXPECT_EQ(search::ElapsedText(35999), "9:59:59");
  EXPECT_EQ(search::FoundCountText(1), "1 files found.");
  EXPECT_EQ(search::FoundCountText(0), "No files found.");
}

}  // namespace
}  // namespace quillow
