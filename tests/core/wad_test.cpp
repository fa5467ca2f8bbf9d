// WAD reader: a pwad built by DeuTex (tests/data/make-cab-tar-wad.sh, with DeuTex's own
// "-wadir" listing beside it), real WADs from the shared sample set, and hand-built headers
// for hostile lump counts.
#include <gtest/gtest.h>

#include "reader_test_util.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using formats::ReadWad;

std::string Listing(const std::vector<Member>& members) {
  std::string s;
  for (const Member& m : members) s += std::to_string(m.size) + "\t" + m.name + "\n";
  return s;
}

TEST(WadReader, ListsTheDirectoryWithTheFilesOwnDate) {
  CollectingContext ctx(0x1234, 0x5678);
  const std::string bytes = LoadFile(TestData("wad/deutex-lumps.wad"));
  ByteSource src(bytes);
  ReadWad(src, ctx);
  EXPECT_EQ(Listing(ctx.members), LoadFile(TestData("wad/deutex-lumps.wad.wadir.txt")));
  for (const Member& m : ctx.members) {
    EXPECT_EQ(m.date, 0x1234);
    EXPECT_EQ(m.time, 0x5678);
    EXPECT_EQ(m.packed, m.size);
  }
}

TEST(WadReader, SampleWads) {
  const std::pair<const char*, const char*> cases[] = {
      {"freedoom-bootstrap-iwad.wad", "768\tPLAYPAL\n4\tTEXTURE1\n12\tPNAMES\n"},
      {"deutex522-pwad-map-and-lumps.wad",
       "0\tMAP01\n120\tTHINGS\n322\tLINEDEFS\n960\tSIDEDEFS\n100\tVERTEXES\n420\tSEGS\n"
       "40\tSSECTORS\n252\tNODES\n104\tSECTORS\n2\tREJECT\n144\tBLOCKMAP\n56\tREADME\n"
       "3880\tLONGTEXT\n"},
  };
  for (const auto& [file, listing] : cases)
    EXPECT_EQ(Listing(RunReader(ReadWad, LoadFile(Sample(std::string("wad/") + file))).members),
              listing)
        << file;
}

TEST(WadReader, EveryCutListsAPrefix) {
  const std::string bytes = LoadFile(TestData("wad/deutex-lumps.wad"));
  const std::string full = Listing(RunReader(ReadWad, bytes).members);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    const std::string part = Listing(RunReader(ReadWad, bytes.substr(0, cut)).members);
    ASSERT_EQ(full.compare(0, part.size(), part), 0) << "cut at " << cut;
  }
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
  EXPECT_EQ(Listing(RunReader(ReadWad, Wad("PWAD", 2)).members), "10\tTHINGS\n11\tTHINGS\n");
  EXPECT_EQ(RunReader(ReadWad, Wad("IWAD", 1)).members.size(), 1u);
  EXPECT_TRUE(RunReader(ReadWad, Wad("PWAD", 0)).members.empty());
  EXPECT_TRUE(RunReader(ReadWad, Wad("PWAD", 0xFFFFFFFF)).members.empty());  // -1
  EXPECT_EQ(RunReader(ReadWad, Wad("PWAD", 0x7FFFFFFF)).members.size(), 2u);
  EXPECT_TRUE(RunReader(ReadWad, Wad("ZWAD", 2)).members.empty());
}

}  // namespace
}  // namespace quillow::test
