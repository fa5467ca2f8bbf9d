// TAR reader: archives made by GNU tar (tests/data/make-cab-tar-wad.sh, with 7-Zip's listing
// of each beside it), real archives from tests/data/samples, and hand-built headers for
// size fields no archiver writes.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadTar;

// The reader reports every header under its 100-byte name field, so it differs from 7-Zip,
// which reads through the archive: the records that carry long names (GNU "././@LongLink",
// pax "PaxHeaders") are members of their own here, the member after them shows the first 100
// characters of its path, and folders keep the slash their header holds. Both listings are
// brought to that common ground as "size<TAB>name" lines; the zero blocks at the end (empty
// names) are dropped, as the search drops empty names.
std::string CommonGround(const std::vector<Member>& members) {
  std::string s;
  for (const Member& m : members)
    if (!m.name.empty() && m.name != "././@LongLink" && m.name.find("/PaxHeaders/") == m.name.npos)
      s += std::to_string(m.size) + "\t" + PeerStyle(m.name) + "\n";
  return s;
}
std::string CommonGround(const std::string& peerFile) {
  std::istringstream in(LoadFile(peerFile));
  std::string line, s;
  while (std::getline(in, line)) s += line.substr(0, line.find('\t') + 1 + 100) + "\n";
  return s;
}

TEST(TarReader, GnuTarArchivesListAs7ZipListsThem) {
  for (std::string file : {"ustar.tar", "v7.tar", "gnu-longname.tar", "pax-longname.tar"}) {
    CollectingContext ctx(DosDate(2020, 2, 2), DosTime(20, 20, 20));
    const std::string bytes = LoadFile(TestData("tar/" + file));
    search::ByteSource src(bytes);
    ReadTar(src, ctx);
    EXPECT_EQ(CommonGround(ctx.members), CommonGround(TestData("tar/" + file + ".7z.txt"))) << file;
    for (const Member& m : ctx.members) {
      EXPECT_EQ(m.date, DosDate(2020, 2, 2));
      EXPECT_EQ(m.time, DosTime(20, 20, 20));
      EXPECT_EQ(m.packed, m.size);
    }
  }
  // The long-name record is listed under its own header name, with its own size.
  const auto gnu = Summary(RunReader(ReadTar, LoadFile(TestData("tar/gnu-longname.tar"))).members);
  EXPECT_NE(gnu.find("| ././@LongLink 115 115 |"), std::string::npos);
}

TEST(TarReader, SampleArchives) {
  const std::pair<const char*, const char*> cases[] = {
      // Size fields padded with spaces on both sides; the hard link states a size too.
      {"old-tar-space-padded-size-hardlink.tar",
       "xmcd-3.3.2/docs_d/READMf 321 321 | xmcd-3.3.2/README 321 321"},
      {"perl-archive-tar-space-padded-size.tar", "file1 5 5 |  0 0 |  0 0"},
      // A header declaring 25 MB that are not there: listed, then the walk ends.
      {"truncated-header-only.tar", "proc_module.xml 25310779 25310779"},
  };
  for (const auto& [file, listing] : cases)
    EXPECT_EQ(Summary(RunReader(ReadTar, LoadFile(Sample(std::string("tar/") + file))).members),
              listing)
        << file;
}

// Hand-built: a 4 KB file with one header holding the given size field and, where the size
// leaves room, a header named "next" after the data rounded up to 512 bytes.
TEST(TarReader, SizeFieldsAndTheNextHeader) {
  struct Case {
    std::string field;
    uint32_t size;
    bool nextFound;
  };
  const Case cases[] = {
      {std::string("00000001750\0", 12), 1000, true},
      {std::string("      1750  ", 12), 8000, false},  // position 10 is the lowest digit
      {std::string(12, '\0'), 0, true},                // the zero blocks at the end
      {std::string(12, '\xFF'), 0, true},              // not digits: count as nothing
      {std::string("99999999999\0", 12), 0, true},
      {std::string("1\0\0\0\0\0\0\0\0\0\0\0", 12), 1u << 30, false},
      // 33-bit sizes: the row shows the low 32 bits, the step uses them all.
      {std::string("77777777777 ", 12), 0xFFFFFFFFu, false},
      {std::string("40000000000 ", 12), 0, false},
  };
  for (const Case& c : cases) {
    std::string s(4096, '\0');
    s.replace(0, 1, "a");
    s.replace(124, 12, c.field);
    if (c.nextFound) s.replace(512 + (c.size + 511) / 512 * 512, 4, "next");
    const auto m = RunReader(ReadTar, s).members;
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m[0].size, c.size) << c.size;
    EXPECT_EQ(Summary(m).find("next 0 0") != std::string::npos, c.nextFound) << c.size;
  }
}

TEST(TarReader, EveryCutListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadTar, LoadFile(TestData("tar/ustar.tar")));
}

}  // namespace
}  // namespace quillow::test
