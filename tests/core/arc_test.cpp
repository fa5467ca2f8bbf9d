// ARC reader, which also serves the PAK pass: fixtures made by Debian's arc 5.21
// (tests/data/make-arj-lzh-arc.sh) and checked against lsar's listing of them; real samples
// from tests/data/samples; hand-built bytes only for what no archive shows, and said so.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadArc;

// A header and its packed data (hand-built).
std::string ArcMember(const std::string& name, uint32_t packed, uint8_t method = 2) {
  std::string h = {'\x1a', static_cast<char>(method)};
  h += name;
  h.resize(15, '\0');
  Put32(h, packed);
  Put16(h, DosDate(1995, 5, 6));
  Put16(h, DosTime(7, 8, 10));
  Put16(h, 0);
  Put32(h, packed * 2);
  return h + std::string(packed, 'd');
}

TEST(ArcReader, FixturesListAsLsarListsThemForBothTheArcAndThePakPass) {
  ExpectListsAsPeer(ReadArc, "arc/files.arc", false, false);
  ExpectListsAsPeer(ReadArc, "pak/files.pak", false, false);
}

TEST(ArcReader, RealSamplesListEveryMemberAndNothingFromOtherFormats) {
  const struct {
    const char* file;
    const char* listing;
  } cases[] = {
      {"arc/arc-two-stored-files.arc", "t.txt 2 2 | t2.txt 2 2"},
      {"arc/arc521-encrypted.arc", "hello.txt 27 27 | readme.txt 3880 956"},
      {"arc/arc521-stored-only.arc", "hello.txt 27 27 | readme.txt 3880 3880"},
      {"pak/arc521-archive-named-pak.pak",
       "deep.dat 3000 3000 | empty.txt 0 0 | hello.txt 27 27 | notes.txt 3490 658 | readme.txt "
       "3880 956"},
      {"arc/freearc-not-sea-arc.arc", ""},  // first byte 'A', not the marker
  };
  for (const auto& c : cases)
    EXPECT_EQ(Summary(RunReader(ReadArc, LoadFile(Sample(c.file))).members), c.listing) << c.file;
}

TEST(ArcReader, MethodZeroEndsTheListingEvenWithHeadersAfterIt) {
  // Hand-built: one member, the end header, then a well-formed header nothing should reach.
  const auto ctx =
      RunReader(ReadArc, ArcMember("A.TXT", 3) + "\x1a" + '\0' + ArcMember("B.TXT", 1));
  EXPECT_EQ(Summary(ctx.members), "A.TXT 6 3");
  EXPECT_EQ(ctx.members[0].date, DosDate(1995, 5, 6));
  EXPECT_EQ(ctx.members[0].time, DosTime(7, 8, 10));
}

TEST(ArcReader, ThirteenByteNameWithoutTerminatorAndHugePackedSizeEndCleanly) {
  // Hand-built: a name filling the field, and a packed size far past the end of the file.
  const std::string bytes = ArcMember("ABCDEFGH.TXTX", 0).substr(0, 15) +
                            std::string("\xff\xff\xff\xff", 4) + std::string(10, '\0') +
                            ArcMember("NEXT", 1);
  EXPECT_EQ(Summary(RunReader(ReadArc, bytes).members), "ABCDEFGH.TXTX 0 4294967295");
}

TEST(ArcReader, EveryCutOfARealArchiveListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadArc, LoadFile(TestData("arc/files.arc")));
}

}  // namespace
}  // namespace quillow::test
