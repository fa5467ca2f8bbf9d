// SQZ reader. No SQZ archive could be found (see the sample set's SOURCES.md) and no Debian
// tool writes one, so every archive here is hand-built from the documented block layout.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadSqz;

std::string Archive() { return std::string("HLSQZ\x01\x00\x00", 8); }
void AddFile(std::string& s, const std::string& name, uint32_t packed, uint32_t size) {
  s += static_cast<char>(18 + name.size());
  Put16(s, 0);
  Put32(s, packed);
  Put32(s, size);
  Put16(s, DosTime(12, 0, 0));
  Put16(s, DosDate(1999, 12, 31));
  s.append(5, '\0');
  s += name;
  s.append(packed, 'd');
}
void AddOther(std::string& s, uint8_t type, const std::string& body) {
  s += static_cast<char>(type);
  Put16(s, static_cast<uint16_t>(body.size()));
  s += body;
}

TEST(SqzReader, ListsFileHeadersAroundOtherBlocksUpToBlockByteZero) {
  std::string s = Archive();
  AddOther(s, 1, "an archive comment");
  AddFile(s, "A.TXT", 10, 20);
  AddOther(s, 18, "");
  AddFile(s, "X", 0, 3);  // block byte 19: a one-character name
  s += '\0';
  AddFile(s, "AFTER.END", 0, 1);
  auto m = RunReader(ReadSqz, s).members;
  EXPECT_EQ(Summary(m), "A.TXT 20 10 | X 3 0");
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(m[0].date, DosDate(1999, 12, 31));
  EXPECT_EQ(m[0].time, DosTime(12, 0, 0));

  s[4] = 'X';  // HLSQX
  EXPECT_TRUE(RunReader(ReadSqz, s).members.empty());
}

// Without block byte 0 the walk must still end at the end of the file, wherever it is cut.
TEST(SqzReader, EveryCutListsAPrefixAndEnds) {
  std::string s = Archive();
  AddFile(s, "ONE.DAT", 300, 900);
  AddOther(s, 5, std::string(40, 'c'));
  AddFile(s, std::string(237, 'n'), 7, 8);  // block byte 255: the longest name
  AddFile(s, "THREE", 0, 0);
  EXPECT_EQ(Summary(RunReader(ReadSqz, s).members),
            "ONE.DAT 900 300 | " + std::string(237, 'n') + " 8 7 | THREE 0 0");
  ExpectEveryCutListsAPrefix(ReadSqz, s);
}

TEST(SqzReader, SizesReachingPastTheEndStopTheWalk) {
  std::string s = Archive();
  AddFile(s, "BIG", 0, 1);
  s[s.size() - 17] = '\xFF';  // high byte of the packed size: far past the end
  AddFile(s, "NEVER", 0, 1);
  EXPECT_EQ(Summary(RunReader(ReadSqz, s).members), "BIG 1 4278190080");
}

}  // namespace
}  // namespace quillow::test
