// ACE reader: real ACE 2.0 archives from the shared sample set (no Debian tool lists them;
// the expected listings are the header walks in its EXPECTED.md), and hand-built blocks for
// what those archives do not show (other block types, damage).
#include <gtest/gtest.h>

#include "reader_test_util.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using formats::ReadAce;

std::string Listing(const std::vector<Member>& members) {
  std::string s;
  for (const Member& m : members)
    s += m.name + " " + std::to_string(m.size) + " " + std::to_string(m.packed) + "\n";
  return s;
}

TEST(AceReader, SamplesListEveryFileBlock) {
  const std::pair<const char*, const char*> cases[] = {
      {"ace20-dir-and-file.ace", "t 0 0\nt\\t.txt 2 2\n"},
      {"ace20-empty-file.ace", "empty.txt 0 0\n"},
      {"ace20-nested-dirs.ace", "derp 0 0\nderp\\b00 0 0\nderp\\b00\\ace.txt 8 8\n"},
      {"ace20-single-file.ace", "ace.txt 8 8\n"},
      {"ace20-winace-folder-and-files.ace",
       "folder 0 0\nfolder\\README.md 455 284\nhello world.txt 14 14\n"
       "folder\\NestedArchive.zip 53236 52544\n"},
  };
  for (const auto& [file, listing] : cases)
    EXPECT_EQ(Listing(RunReader(ReadAce, LoadFile(Sample(std::string("ace/") + file))).members),
              listing)
        << file;

  auto m = RunReader(ReadAce, LoadFile(Sample("ace/ace20-single-file.ace"))).members;
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].date, (36 << 9) | (9 << 5) | 4);   // 2016-09-04
  EXPECT_EQ(m[0].time, (1 << 11) | (34 << 5) | 0);  // 01:34:00
}

TEST(AceReader, StubOrWrongMainHeaderTypeListsNothing) {
  const std::string bytes = LoadFile(Sample("ace/ace20-dir-and-file.ace"));
  EXPECT_TRUE(RunReader(ReadAce, "MZ" + bytes).members.empty());
  std::string wrongType = bytes;
  wrongType[4] = 1;
  EXPECT_TRUE(RunReader(ReadAce, wrongType).members.empty());
}

TEST(AceReader, EveryCutOfARealArchiveListsAPrefix) {
  const std::string bytes = LoadFile(Sample("ace/ace20-nested-dirs.ace"));
  const std::string full = Listing(RunReader(ReadAce, bytes).members);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    const std::string part = Listing(RunReader(ReadAce, bytes.substr(0, cut)).members);
    ASSERT_EQ(full.compare(0, part.size(), part), 0) << "cut at " << cut;
  }
}

// Hand-built: a main header of size 10 (just the signature), then blocks.
std::string Archive() {
  std::string s;
  Put16(s, 0);
  Put16(s, 10);
  s += '\0';
  Put16(s, 0);
  s += "**ACE**";
  return s;
}
void AddBlock(std::string& s, uint8_t type, uint16_t headerSize) {
  Put16(s, 0);
  Put16(s, headerSize);
  s += static_cast<char>(type);
  s.append(headerSize - 1, 'h');
}
void AddFile(std::string& s, const std::string& name, uint32_t packed) {
  Put16(s, 0);
  Put16(s, static_cast<uint16_t>(31 + name.size()));
  s += '\x01';
  Put16(s, 0);
  Put32(s, packed);
  Put32(s, 5);
  Put32(s, 0);  // time, date
  s.append(14, '\0');
  Put16(s, static_cast<uint16_t>(name.size()));
  s += name;
  s.append(packed, 'd');
}

TEST(AceReader, OtherBlocksAreSteppedOverByTheirHeaderSize) {
  std::string s = Archive();
  AddFile(s, "a.txt", 7);
  AddBlock(s, 2, 40);  // its bytes would read as a file block if it were not stepped over
  AddFile(s, "b.txt", 0);
  EXPECT_EQ(Listing(RunReader(ReadAce, s).members), "a.txt 5 7\nb.txt 5 0\n");

  s = Archive();
  AddFile(s, "a.txt", 0);
  Put16(s, 0);
  Put16(s, 0);  // header size 0 cannot hold its own type byte: the walk ends
  s += '\x05';
  AddFile(s, "b.txt", 0);
  EXPECT_EQ(Listing(RunReader(ReadAce, s).members), "a.txt 5 0\n");
}

TEST(AceReader, LongNamesAreCutToTheBufferAndTheWalkGoesOn) {
  std::string s = Archive();
  AddFile(s, std::string(1000, 'y'), 2);
  AddFile(s, "next", 0);
  auto m = RunReader(ReadAce, s).members;
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].name, std::string(kMemberNameBuffer - 1, 'y'));
  EXPECT_EQ(m[1].name, "next");
}

}  // namespace
}  // namespace quillow::test
