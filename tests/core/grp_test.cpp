// GRP reader: real group files from tests/data/samples (no Debian tool reads GRP; the
// expected listings are walks of the headers by hand), and hand-built headers for
// hostile entry counts.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadGrp;

TEST(GrpReader, SampleGroupFiles) {
  const std::pair<const char*, const char*> cases[] = {
      {"group-5-files-with-empty.grp",
       "EMPTY 0 0 | README.TXT 15 15 | TEST.JSON 20 20 | TEST.PNG 186 186 | TEST.TXT 9 9"},
      // TILES420.ART fills all 12 name bytes.
      {"group-7-files-12char-name.grp",
       "TEST.CON 35 35 | TILES420.ART 17 17 | EMPTY 0 0 | README.TXT 15 15 | TEST.JSON 20 20 | "
       "TEST.PNG 186 186 | TEST.TXT 9 9"},
      {"group-no-entries.grp", ""},
  };
  for (const auto& [file, listing] : cases) {
    CollectingContext ctx(DosDate(2020, 2, 2), DosTime(20, 20, 20));
    const std::string bytes = LoadFile(Sample(std::string("grp/") + file));
    search::ByteSource src(bytes);
    ReadGrp(src, ctx);
    EXPECT_EQ(Summary(ctx.members), listing) << file;
    for (const Member& m : ctx.members) {
      EXPECT_EQ(m.date, DosDate(2020, 2, 2));
      EXPECT_EQ(m.time, DosTime(20, 20, 20));
    }
  }
}

TEST(GrpReader, EveryCutListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadGrp, LoadFile(Sample("grp/group-7-files-12char-name.grp")));
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
  EXPECT_EQ(Summary(RunReader(ReadGrp, Group("KenSilverman", 1)).members), "ONE.DAT 7 7");
  EXPECT_EQ(RunReader(ReadGrp, Group("KenSilverman", 2000000000)).members.size(), 1u);
  EXPECT_TRUE(RunReader(ReadGrp, Group("KenSilverman", 0x80000000)).members.empty());
  EXPECT_TRUE(RunReader(ReadGrp, Group("kensilverman", 1)).members.empty());
}

}  // namespace
}  // namespace quillow::test
