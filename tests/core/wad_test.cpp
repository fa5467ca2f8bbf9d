// WAD reader: a pwad built by DeuTex (tests/data/make-cab-tar-wad.sh, with DeuTex's own
// "-wadir" listing beside it), real WADs from tests/data/samples, and hand-built headers
// for hostile lump counts.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadWad;

TEST(WadReader, ListsTheDirectoryWithTheFilesOwnDate) {
  CollectingContext ctx(DosDate(2020, 2, 2), DosTime(20, 20, 20));
  const std::string bytes = LoadFile(TestData("wad/deutex-lumps.wad"));
  search::ByteSource src(bytes);
  ReadWad(src, ctx);
  std::string listing;
  for (const Member& m : ctx.members) {
    listing += std::to_string(m.size) + "\t" + m.name + "\n";
    EXPECT_EQ(m.date, DosDate(2020, 2, 2));
    EXPECT_EQ(m.time, DosTime(20, 20, 20));
    EXPECT_EQ(m.packed, m.size);
  }
  EXPECT_EQ(listing, LoadFile(TestData("wad/deutex-lumps.wad.wadir.txt")));
}

TEST(WadReader, SampleWads) {
  const std::pair<const char*, const char*> cases[] = {
      {"freedoom-bootstrap-iwad.wad", "PLAYPAL 768 768 | TEXTURE1 4 4 | PNAMES 12 12"},
      {"deutex522-pwad-map-and-lumps.wad",
       "MAP01 0 0 | THINGS 120 120 | LINEDEFS 322 322 | SIDEDEFS 960 960 | VERTEXES 100 100 | "
       "SEGS 420 420 | SSECTORS 40 40 | NODES 252 252 | SECTORS 104 104 | REJECT 2 2 | "
       "BLOCKMAP 144 144 | README 56 56 | LONGTEXT 3880 3880"},
  };
  for (const auto& [file, listing] : cases)
    EXPECT_EQ(Summary(RunReader(ReadWad, LoadFile(Sample(std::string("wad/") + file))).members),
              listing)
        << file;
}

TEST(WadReader, EveryCutListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadWad, LoadFile(TestData("wad/deutex-lumps.wad")));
}

// Hand-built: a header with the given count and two directory entries right after it.
std::string Wad(const char* id, uint32_t count) {
  std::string s = id;
  Put32(s, count);
  Put32(s, 12);
  for (int i = 0; i < 2; ++i) {
    Put32(s, 0);
    Put32(s, 10 + i);
    s += std::string("THINGS\0\0", 8);  // the same name twice, as in per-level lumps
  }
  return s;
}

TEST(WadReader, LumpCountIsSignedAndEndsAtTheEndOfTheFile) {
  EXPECT_EQ(Summary(RunReader(ReadWad, Wad("PWAD", 2)).members), "THINGS 10 10 | THINGS 11 11");
  EXPECT_EQ(RunReader(ReadWad, Wad("IWAD", 1)).members.size(), 1u);
  EXPECT_TRUE(RunReader(ReadWad, Wad("PWAD", 0)).members.empty());
  EXPECT_TRUE(RunReader(ReadWad, Wad("PWAD", 0xFFFFFFFF)).members.empty());  // -1
  EXPECT_EQ(RunReader(ReadWad, Wad("PWAD", 0x7FFFFFFF)).members.size(), 2u);
  EXPECT_TRUE(RunReader(ReadWad, Wad("ZWAD", 2)).members.empty());
}

}  // namespace
}  // namespace quillow::test
