// GRP reader: real group files from the shared sample set (no Debian tool reads GRP; the
// expected listings are the header walks in its EXPECTED.md), and hand-built headers for
// hostile entry counts.
#include <gtest/gtest.h>

#include "reader_test_util.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using formats::ReadGrp;

std::string Listing(const std::vector<Member>& members) {
  std::string s;
  for (const Member& m : members) s += std::to_string(m.size) + "\t" + m.name + "\n";
  return s;
}

TEST(GrpReader, SampleGroupFiles) {
  const std::pair<const char*, const char*> cases[] = {
      {"group-5-files-with-empty.grp",
       "0\tEMPTY\n15\tREADME.TXT\n20\tTEST.JSON\n186\tTEST.PNG\n9\tTEST.TXT\n"},
      // TILES420.ART fills all 12 name bytes.
      {"group-7-files-12char-name.grp",
       "35\tTEST.CON\n17\tTILES420.ART\n0\tEMPTY\n15\tREADME.TXT\n20\tTEST.JSON\n186\tTEST.PNG\n"
       "9\tTEST.TXT\n"},
      {"group-no-entries.grp", ""},
  };
  for (const auto& [file, listing] : cases) {
    CollectingContext ctx(0x1234, 0x5678);
    const std::string bytes = LoadFile(Sample(std::string("grp/") + file));
    ByteSource src(bytes);
    ReadGrp(src, ctx);
    EXPECT_EQ(Listing(ctx.members), listing) << file;
    for (const Member& m : ctx.members) {
      EXPECT_EQ(m.date, 0x1234);
      EXPECT_EQ(m.time, 0x5678);
      EXPECT_EQ(m.packed, m.size);
    }
  }
}

TEST(GrpReader, EveryCutListsAPrefix) {
  const std::string bytes = LoadFile(Sample("grp/group-7-files-12char-name.grp"));
  const std::string full = Listing(RunReader(ReadGrp, bytes).members);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    const std::string part = Listing(RunReader(ReadGrp, bytes.substr(0, cut)).members);
    ASSERT_EQ(full.compare(0, part.size(), part), 0) << "cut at " << cut;
  }
}

// Hand-built: the signature, a count and one entry: 32 bytes.
std::string Group(const char* signature, uint32_t count) {
  std::string s = signature;
  Put32(s, count);
  s += std::string("ONE.DAT\0\0\0\0\0", 12);
  Put32(s, 7);
  return s;
}

TEST(GrpReader, EntryCountIsSignedAndEndsAtTheEndOfTheFile) {
  EXPECT_EQ(Listing(RunReader(ReadGrp, Group("KenSilverman", 1)).members), "7\tONE.DAT\n");
  EXPECT_EQ(RunReader(ReadGrp, Group("KenSilverman", 2000000000)).members.size(), 1u);
  EXPECT_TRUE(RunReader(ReadGrp, Group("KenSilverman", 0x80000000)).members.empty());
  EXPECT_TRUE(RunReader(ReadGrp, Group("kensilverman", 1)).members.empty());
}

}  // namespace
}  // namespace quillow::test
