// HYP reader. No HYP archive could be found anywhere and no tool writes one, so every archive
// here is hand-built from the documented header layout.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadHyp;

// A header and its packed data (hand-built): marker, 3 unused bytes, compressed size,
// unpacked size, DOS time, DOS date, 5 unused bytes, name length, name.
std::string HypMember(const std::string& name, uint32_t packed, uint32_t size, uint16_t time,
                      uint16_t date, char fill = 'd') {
  std::string h = "\x1aHP\x02";
  Put32(h, packed);
  Put32(h, size);
  Put16(h, time);
  Put16(h, date);
  h.append(5, '\0');
  h.push_back(static_cast<char>(name.size()));
  return h + name + std::string(packed, fill);
}

std::string ThreeMembers() {
  return HypMember("README.TXT", 10, 25, DosTime(12, 30, 44), DosDate(1993, 11, 20)) +
         HypMember("SUB\\PROG.EXE", 0, 0, DosTime(1, 2, 4), DosDate(1994, 1, 2)) +
         HypMember("LAST.DAT", 3, 3, DosTime(23, 59, 58), DosDate(1999, 12, 31), '\x1a');
}

TEST(HypReader, ListsEveryMemberWithTimeBeforeDateInTheHeader) {
  const auto ctx = RunReader(ReadHyp, ThreeMembers());
  EXPECT_EQ(Summary(ctx.members), "README.TXT 25 10 | SUB\\PROG.EXE 0 0 | LAST.DAT 3 3");
  EXPECT_EQ(ctx.members[0].time, DosTime(12, 30, 44));
  EXPECT_EQ(ctx.members[0].date, DosDate(1993, 11, 20));
  EXPECT_EQ(ctx.members[2].date, DosDate(1999, 12, 31));
  EXPECT_TRUE(ctx.warnings.empty());
}

TEST(HypReader, AByteOtherThanTheMarkerAfterPackedDataEndsTheListing) {
  std::string bytes = ThreeMembers();
  bytes[HypMember("README.TXT", 10, 25, 0, 0).size()] = 'X';
  EXPECT_EQ(Summary(RunReader(ReadHyp, bytes).members), "README.TXT 25 10");
  EXPECT_TRUE(RunReader(ReadHyp, "PK\x03\x04" + ThreeMembers()).members.empty());
}

TEST(HypReader, HugeSizesAndLongNamesEndAtOnceWithoutOverrun) {
  // The packed size points far past the end: one member, then the walk ends.
  std::string huge = HypMember("A", 0, 1, 0, 0);
  huge[4] = huge[5] = huge[6] = huge[7] = '\xff';
  EXPECT_EQ(Summary(RunReader(ReadHyp, huge + ThreeMembers()).members), "A 1 4294967295");
  // The longest name a length byte allows is listed whole.
  const std::string name(255, 'n');
  EXPECT_EQ(RunReader(ReadHyp, HypMember(name, 0, 0, 0, 0)).members.at(0).name, name);
}

TEST(HypReader, EveryCutListsAPrefix) { ExpectEveryCutListsAPrefix(ReadHyp, ThreeMembers()); }

}  // namespace
}  // namespace quillow::test
