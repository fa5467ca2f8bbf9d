// CAB reader: cabinets made by gcab (tests/data/make-cab-tar-wad.sh, with 7-Zip's listing of
// each beside it), real cabinets from tests/data/samples, and hand-built cabinets for what
// no Debian tool writes (several folders, hostile counts).
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadCab;

// "size<TAB>name" a line, names as 7-Zip shows them (slashes), as the fixture listings hold them.
std::string PeerListing(const std::vector<Member>& members) {
  std::string s;
  for (const Member& m : members) s += std::to_string(m.size) + "\t" + PeerStyle(m.name) + "\n";
  return s;
}

TEST(CabReader, GcabCabinetsListAs7ZipListsThem) {
  for (std::string file : {"gcab-stored.cab", "gcab-mszip.cab", "gcab-name-255.cab"}) {
    const auto m = RunReader(ReadCab, LoadFile(TestData("cab/" + file))).members;
    EXPECT_EQ(PeerListing(m), LoadFile(TestData("cab/" + file + ".7z.txt"))) << file;
    for (const Member& member : m) EXPECT_EQ(member.packed, 0u) << file;
  }
  const auto m = RunReader(ReadCab, LoadFile(TestData("cab/gcab-stored.cab"))).members;
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(m[0].date, DosDate(1994, 7, 15));
  EXPECT_EQ(m[0].time, DosTime(13, 45, 22));
}

// gcab writes a 257-byte name although cabinets allow 255. 7-Zip shows it whole; this reader
// shows its first 255 bytes and goes on with the next entry after the name's zero byte.
TEST(CabReader, NamesPastTheFormatLimitAreCutAndTheWalkGoesOn) {
  const auto m = RunReader(ReadCab, LoadFile(TestData("cab/gcab-name-257.cab"))).members;
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].name, ("d\\" + std::string(251, 'L') + ".txt").substr(0, 255));
  EXPECT_EQ(m[1].name, "after.txt");
}

TEST(CabReader, SampleCabinets) {
  const std::pair<const char*, const char*> cases[] = {
      {"cab-single-file.cab", "t\\t.txt 2 0"},
      {"cab-libarchive-2.cab", "empty 0 0 | zero 33000 0 | dir1\\file1 60 0 | dir2\\file2 78 0"},
      {"cab-multi-part1.cab", "ones 512 0"},  // entries at 79, after the next-cabinet names
      {"cab-multi-part2.cab", "ones 512 0"},
      {"cab-winace-folder-and-files.cab",
       "folder\\NestedArchive.zip 53236 0 | folder\\README.md 455 0 | hello world.txt 14 0"},
  };
  for (const auto& [file, listing] : cases)
    EXPECT_EQ(Summary(RunReader(ReadCab, LoadFile(Sample(std::string("cab/") + file))).members),
              listing)
        << file;
}

// The 255-byte name read runs into the end of the file when the last entry ends there; the
// entry still counts as long as its zero byte was read.
TEST(CabReader, ANameEndingAtTheEndOfTheFileIsStillListed) {
  const std::string bytes = LoadFile(TestData("cab/gcab-stored.cab"));
  const size_t end = bytes.find(std::string("b513.bin\0", 9)) + 9;
  EXPECT_EQ(RunReader(ReadCab, bytes.substr(0, end)).members.size(), 4u);
  EXPECT_EQ(RunReader(ReadCab, bytes.substr(0, end - 1)).members.size(), 3u);
}

TEST(CabReader, EveryCutListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadCab, LoadFile(TestData("cab/gcab-name-255.cab")));
}

// Hand-built: a 36-byte header and two folder records (libgcab refuses to write a second
// folder), then `files` entries named f0, f1, ... that alternate between the folders.
std::string Cabinet(uint16_t count, int files) {
  std::string s = "MSCF";
  s.append(12, '\0');
  Put32(s, 36 + 2 * 8);
  Put32(s, 0);
  s += "\x03\x01";
  Put16(s, 2);
  Put16(s, count);
  s.append(6 + 16, '\0');
  for (int i = 0; i < files; ++i) {
    Put32(s, 100 + i);
    Put32(s, 0);
    Put16(s, static_cast<uint16_t>(i % 2));
    Put32(s, 0);  // date, time
    Put16(s, 0x20);
    s += "f" + std::to_string(i) + '\0';
  }
  return s;
}

TEST(CabReader, EntryCountDecidesAndEndsAtTheEndOfTheFile) {
  EXPECT_EQ(Summary(RunReader(ReadCab, Cabinet(3, 3)).members), "f0 100 0 | f1 101 0 | f2 102 0");
  EXPECT_EQ(RunReader(ReadCab, Cabinet(2, 3)).members.size(), 2u);
  EXPECT_TRUE(RunReader(ReadCab, Cabinet(0, 3)).members.empty());
  EXPECT_EQ(RunReader(ReadCab, Cabinet(0xFFFF, 3)).members.size(), 3u);
  std::string wrong = Cabinet(3, 3);
  wrong[0] = 'X';
  EXPECT_TRUE(RunReader(ReadCab, wrong).members.empty());
}

}  // namespace
}  // namespace quillow::test
