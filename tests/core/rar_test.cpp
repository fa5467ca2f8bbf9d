// RAR reader: real archives from tests/data/samples (origins in tests/data/SOURCES.md), and
// hand-built blocks for damage no archiver writes.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadRar;

std::string ListSample(const std::string& file) {
  return Summary(RunReader(ReadRar, LoadFile(Sample("rar/" + file))).members);
}

// Peers (lsar, rarfile) list more in some of these: this reader lists only the file blocks
// before the first block of another kind, and does not search for a marker after a stub.
TEST(RarReader, SamplesListTheFileBlocksBeforeAnyOtherBlock) {
  const std::pair<const char*, const char*> cases[] = {
      {"rar15-comment-in-main-header-no-endarc.rar", "FILE1.TXT 7 7 | FILE2.TXT 8 8"},
      {"rar20-comment-encrypted-files.rar", "FILE1.TXT 7 32 | FILE2.TXT 7 32"},
      {"rar2-unix-owner-subblock-and-recovery.rar", "file.txt 4 17"},
      {"rar3-files-and-dirs.rar",
       "test.txt 20 20 | testlink 8 8 | testdir\\test.txt 20 20 | testdir 0 0 | testemptydir 0 0"},
      {"rar3-volume3-split-file-continued.rar",
       "vols\\bigfile.txt 205000 380 | vols\\smallfile.txt 2050 2050"},
      {"rar3-recovery-record-after-files.rar", "testfile.jpg 220 182 | testfile.png 87 84"},
      // A comment block straight after the archive header ends the walk before any file.
      {"rar3-comment-blocks-before-and-between-files.rar", ""},
      {"rar3-owner-block-between-files.rar", "owner1.txt 2 2"},
      {"rar3-encrypted-headers.rar", ""},
      {"rar3-sfx-win32-stub.rar", ""},
  };
  for (const auto& [file, listing] : cases) EXPECT_EQ(ListSample(file), listing) << file;
}

TEST(RarReader, ReportsDateAndTimeAndCutsUnicodeNamesAtTheirZeroByte) {
  auto m = RunReader(ReadRar, LoadFile(Sample("rar/rar15-comment-in-main-header-no-endarc.rar")))
               .members;
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].date, DosDate(2010, 11, 3));
  EXPECT_EQ(m[0].time, DosTime(19, 49, 32));
  m = RunReader(ReadRar, LoadFile(Sample("rar/rar3-subdirs-unicode-names.rar"))).members;
  ASSERT_EQ(m.size(), 10u);
  EXPECT_EQ(m[2].name, "sub\\\xC3\xBC\xC8\xB5\xC4\xA9\xC3\xB6\xE1\xB8\x8B\xC3\xA8\\file.txt");
}

TEST(RarReader, EveryCutListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadRar, LoadFile(Sample("rar/rar3-files-and-dirs.rar")));
}

// Hand-built: marker, a 13-byte archive header, then file blocks.
std::string Archive() {
  std::string s("Rar!\x1A\x07\x00\x00\x00\x73\x00\x00\x0D\x00", 14);
  return s.append(6, '\0');
}
void AddFile(std::string& s, const std::string& name, uint16_t headerSize, uint32_t packed) {
  s += std::string("\0\0\x74\0\0", 5);
  Put16(s, headerSize);
  Put32(s, packed);
  Put32(s, 1);
  s.append(11, '\0');  // host, CRC, time, date, version, method
  Put16(s, static_cast<uint16_t>(name.size()));
  Put32(s, 0);
  s += name;
  s.append(packed, 'd');
}

TEST(RarReader, LongNamesAreCutToTheBufferAndTheWalkGoesOn) {
  std::string s = Archive();
  AddFile(s, std::string(600, 'x'), 632, 3);
  AddFile(s, "next.txt", 40, 0);
  auto m = RunReader(ReadRar, s).members;
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].name, std::string(search::kMemberNameBuffer - 1, 'x'));
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
  EXPECT_EQ(Summary(RunReader(ReadRar, s).members), "a 1 0");
  s = Archive();
  s[12] = 2;  // archive header size 2: the first block would start inside the header
  AddFile(s, "a", 33, 0);
  EXPECT_TRUE(RunReader(ReadRar, s).members.empty());
}

}  // namespace
}  // namespace quillow::test
