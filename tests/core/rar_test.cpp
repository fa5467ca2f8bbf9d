// RAR reader: real archives from the shared sample set (see its SOURCES.md), and hand-built
// blocks for damage no archiver writes.
#include <gtest/gtest.h>

#include "reader_test_util.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using formats::ReadRar;

// "name size packed" per member, one a line.
std::string Listing(const std::vector<Member>& members) {
  std::string s;
  for (const Member& m : members)
    s += m.name + " " + std::to_string(m.size) + " " + std::to_string(m.packed) + "\n";
  return s;
}

struct SampleCase {
  const char* file;
  const char* listing;
};

// Peers (lsar, rarfile) list more in some of these: this reader lists only the file blocks
// before the first block of another kind, and does not search for a marker after a stub.
TEST(RarReader, SamplesListTheFileBlocksBeforeAnyOtherBlock) {
  const SampleCase cases[] = {
      {"rar15-comment-in-main-header-no-endarc.rar", "FILE1.TXT 7 7\nFILE2.TXT 8 8\n"},
      {"rar20-comment-encrypted-files.rar", "FILE1.TXT 7 32\nFILE2.TXT 7 32\n"},
      {"rar2-unix-owner-subblock-and-recovery.rar", "file.txt 4 17\n"},
      {"rar3-files-and-dirs.rar",
       "test.txt 20 20\ntestlink 8 8\ntestdir\\test.txt 20 20\ntestdir 0 0\ntestemptydir 0 0\n"},
      {"rar3-volume3-split-file-continued.rar",
       "vols\\bigfile.txt 205000 380\nvols\\smallfile.txt 2050 2050\n"},
      {"rar3-recovery-record-after-files.rar", "testfile.jpg 220 182\ntestfile.png 87 84\n"},
      // A comment block straight after the archive header ends the walk before any file.
      {"rar3-comment-blocks-before-and-between-files.rar", ""},
      {"rar3-owner-block-between-files.rar", "owner1.txt 2 2\n"},
      {"rar3-encrypted-headers.rar", ""},
      {"rar3-sfx-win32-stub.rar", ""},
      {"rar5-format-not-rar4.rar", ""},
  };
  for (const SampleCase& c : cases) {
    EXPECT_EQ(Listing(RunReader(ReadRar, LoadFile(Sample(std::string("rar/") + c.file))).members),
              c.listing)
        << c.file;
  }
}

TEST(RarReader, ReportsDateAndTimeAndCutsUnicodeNamesAtTheirZeroByte) {
  auto m = RunReader(ReadRar, LoadFile(Sample("rar/rar15-comment-in-main-header-no-endarc.rar"))).members;
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].date, (30 << 9) | (11 << 5) | 3);         // 2010-11-03
  EXPECT_EQ(m[0].time, (19 << 11) | (49 << 5) | (32 / 2)); // 19:49:32

  m = RunReader(ReadRar, LoadFile(Sample("rar/rar3-subdirs-unicode-names.rar"))).members;
  ASSERT_EQ(m.size(), 10u);
  EXPECT_EQ(m[2].name, "sub\\\xC3\xBC\xC8\xB5\xC4\xA9\xC3\xB6\xE1\xB8\x8B\xC3\xA8\\file.txt");
}

TEST(RarReader, EveryCutOfARealArchiveListsAPrefix) {
  const std::string bytes = LoadFile(Sample("rar/rar3-files-and-dirs.rar"));
  const std::string full = Listing(RunReader(ReadRar, bytes).members);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    const std::string part = Listing(RunReader(ReadRar, bytes.substr(0, cut)).members);
    ASSERT_EQ(full.compare(0, part.size(), part), 0) << "cut at " << cut;
  }
}

// Hand-built: marker, a 13-byte archive header, then file blocks.
std::string Archive() {
  std::string s("Rar!\x1A\x07\x00", 7);
  Put16(s, 0);
  s += '\x73';
  Put16(s, 0);
  Put16(s, 13);
  s.append(6, '\0');
  return s;
}
void AddFile(std::string& s, const std::string& name, uint16_t headerSize, uint32_t packed) {
  Put16(s, 0);
  s += '\x74';
  Put16(s, 0);
  Put16(s, headerSize);
  Put32(s, packed);
  Put32(s, 1);
  s.append(5, '\0');
  Put32(s, 0);  // time, date
  Put16(s, 0);
  Put16(s, static_cast<uint16_t>(name.size()));
  Put32(s, 0);
  s += name;
  s.append(packed, 'd');
}

TEST(RarReader, LongNamesAreCutToTheBufferAndTheWalkGoesOn) {
  std::string s = Archive();
  const std::string longName(600, 'x');
  AddFile(s, longName, static_cast<uint16_t>(32 + longName.size()), 3);
  AddFile(s, "next.txt", 40, 0);
  auto m = RunReader(ReadRar, s).members;
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].name, std::string(kMemberNameBuffer - 1, 'x'));
  EXPECT_EQ(m[1].name, "next.txt");
  // A name size of 65535 with the name cut off by the end of the file reports nothing.
  s = Archive();
  AddFile(s, "abc", 0xFFFF, 0);
  s[s.size() - 9] = s[s.size() - 8] = '\xFF';  // name size field
  EXPECT_TRUE(RunReader(ReadRar, s).members.empty());
}

TEST(RarReader, HeaderSizesTooSmallForTheirFieldsEndTheWalk) {
  std::string s = Archive();
  AddFile(s, "a", 0, 0);  // would step back to its own start for ever
  AddFile(s, "b", 33, 0);
  EXPECT_EQ(Listing(RunReader(ReadRar, s).members), "a 1 0\n");
  s = Archive();
  s[12] = 2;  // archive header size 2: the first block would start inside the header
  AddFile(s, "a", 33, 0);
  EXPECT_TRUE(RunReader(ReadRar, s).members.empty());
}

}  // namespace
}  // namespace quillow::test
