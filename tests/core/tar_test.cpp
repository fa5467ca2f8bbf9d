// TAR reader: archives made by GNU tar (tests/data/make-cab-tar-wad.sh, with 7-Zip's listing
// of each beside it), real archives from the shared sample set, and hand-built headers for
// size fields no archiver writes.
#include <gtest/gtest.h>

#include <sstream>

#include "reader_test_util.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using formats::ReadTar;

std::string Listing(const std::vector<Member>& members) {
  std::string s;
  for (const Member& m : members)
    if (!m.name.empty()) s += std::to_string(m.size) + "\t" + m.name + "\n";
  return s;
}

// The reader reports every header under its 100-byte name field, so it differs from 7-Zip,
// which reads through the archive: the records that carry long names (GNU "././@LongLink",
// pax "PaxHeaders") are members of their own here, the member after them shows the first 100
// characters of its path, and folders keep the slash their header holds. Both listings are
// brought to that common ground; the zero blocks at the end (empty names) are dropped, as the
// search drops empty names.
std::string CommonGround(const std::string& listing, bool ours) {
  std::istringstream in(listing);
  std::string line, out;
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    std::string name = line.substr(tab + 1);
    if (ours && (name == "././@LongLink" || name.find("/PaxHeaders/") != std::string::npos))
      continue;
    if (!ours) name = name.substr(0, 100);
    if (!name.empty() && name.back() == '/') name.pop_back();
    out += line.substr(0, tab) + "\t" + name + "\n";
  }
  return out;
}

TEST(TarReader, GnuTarArchivesListAs7ZipListsThem) {
  for (const char* file : {"ustar.tar", "v7.tar", "gnu-longname.tar", "pax-longname.tar"}) {
    CollectingContext ctx(0x1234, 0x5678);
    const std::string bytes = LoadFile(TestData(std::string("tar/") + file));
    ByteSource src(bytes);
    ReadTar(src, ctx);
    EXPECT_EQ(CommonGround(Listing(ctx.members), true),
              CommonGround(LoadFile(TestData(std::string("tar/") + file + ".7z.txt")), false))
        << file;
    for (const Member& m : ctx.members) {
      EXPECT_EQ(m.date, 0x1234);
      EXPECT_EQ(m.time, 0x5678);
      EXPECT_EQ(m.packed, m.size);
    }
  }
  // The long-name record is listed under its own header name, with its own size.
  const auto gnu = Listing(RunReader(ReadTar, LoadFile(TestData("tar/gnu-longname.tar"))).members);
  EXPECT_NE(gnu.find("115\t././@LongLink\n"), std::string::npos);
}

TEST(TarReader, SampleArchives) {
  const std::pair<const char*, const char*> cases[] = {
      // Size fields padded with spaces on both sides.
      {"old-tar-space-padded-size-hardlink.tar",
       "321\txmcd-3.3.2/docs_d/READMf\n321\txmcd-3.3.2/README\n"},
      {"perl-archive-tar-space-padded-size.tar", "5\tfile1\n"},
      // A header declaring 25 MB that are not there: listed, then the walk ends.
      {"truncated-header-only.tar", "25310779\tproc_module.xml\n"},
      {"gnutar-volume-label-only.tar", "0\tlabel\n"},
  };
  for (const auto& [file, listing] : cases)
    EXPECT_EQ(Listing(RunReader(ReadTar, LoadFile(Sample(std::string("tar/") + file))).members),
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
      {std::string(12, '\0'), 0, true},                  // the zero blocks at the end
      {std::string(12, '\xFF'), 0, true},                // not digits: count as nothing
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
    EXPECT_EQ(Listing(RunReader(ReadTar, s).members),
              std::to_string(c.size) + "\ta\n" + (c.nextFound ? "0\tnext\n" : ""))
        << c.size;
  }
}

TEST(TarReader, EveryCutListsAPrefix) {
  const std::string bytes = LoadFile(TestData("tar/ustar.tar"));
  const std::string full = Listing(RunReader(ReadTar, bytes).members);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    const std::string part = Listing(RunReader(ReadTar, bytes.substr(0, cut)).members);
    ASSERT_EQ(full.compare(0, part.size(), part), 0) << "cut at " << cut;
  }
}

}  // namespace
}  // namespace quillow::test
