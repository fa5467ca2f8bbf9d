// ACE reader: real ACE 2.0 archives from tests/data/samples (no Debian tool lists them;
// the expected listings are walks of the headers by hand), and hand-built blocks for
// what those archives do not show (other block types, damage).
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadAce;

TEST(AceReader, SamplesListEveryFileBlock) {
  const std::pair<const char*, const char*> cases[] = {
      {"ace20-dir-and-file.ace", "t 0 0 | t\\t.txt 2 2"},
      {"ace20-empty-file.ace", "empty.txt 0 0"},
      {"ace20-nested-dirs.ace", "derp 0 0 | derp\\b00 0 0 | derp\\b00\\ace.txt 8 8"},
      {"ace20-winace-folder-and-files.ace",
       "folder 0 0 | folder\\README.md 455 284 | hello world.txt 14 14 | "
       "folder\\NestedArchive.zip 53236 52544"},
  };
  for (const auto& [file, listing] : cases)
    EXPECT_EQ(Summary(RunReader(ReadAce, LoadFile(Sample(std::string("ace/") + file))).members),
              listing)
        << file;
  auto m = RunReader(ReadAce, LoadFile(Sample("ace/ace20-single-file.ace"))).members;
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].date, DosDate(2016, 9, 4));
  EXPECT_EQ(m[0].time, DosTime(1, 34, 0));
}

TEST(AceReader, StubOrWrongMainHeaderTypeListsNothing) {
  const std::string bytes = LoadFile(Sample("ace/ace20-dir-and-file.ace"));
  EXPECT_TRUE(RunReader(ReadAce, "MZ" + bytes).members.empty());
  std::string wrongType = bytes;
  wrongType[4] = 1;
  EXPECT_TRUE(RunReader(ReadAce, wrongType).members.empty());
}

TEST(AceReader, EveryCutListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadAce, LoadFile(Sample("ace/ace20-nested-dirs.ace")));
}

// Hand-built: a main header of size 10 (just the signature), then blocks.
std::string Archive() { return std::string("\0\0\x0A\0\0\0\0**ACE**", 14); }
void AddFile(std::string& s, const std::string& name, uint32_t packed) {
  Put16(s, 0);
  Put16(s, static_cast<uint16_t>(31 + name.size()));
  s += std::string("\x01\0\0", 3);
  Put32(s, packed);
  Put32(s, 5);
  s.append(18, '\0');  // time, date, attributes, CRC, technical information, reserved
  Put16(s, static_cast<uint16_t>(name.size()));
  s += name;
  s.append(packed, 'd');
}

TEST(AceReader, OtherBlocksAreSteppedOverByTheirHeaderSize) {
  std::string s = Archive();
  AddFile(s, "a.txt", 7);
  s += std::string("\0\0\x28\0\x02", 5) + std::string(39, 'h');  // type 2, header size 40
  AddFile(s, "b.txt", 0);
  EXPECT_EQ(Summary(RunReader(ReadAce, s).members), "a.txt 5 7 | b.txt 5 0");
  // A header size of 0 cannot hold its own type byte: the walk ends there.
  s = Archive();
  AddFile(s, "a.txt", 0);
  s += std::string("\0\0\0\0\x05", 5);
  AddFile(s, "b.txt", 0);
  EXPECT_EQ(Summary(RunReader(ReadAce, s).members), "a.txt 5 0");
}

TEST(AceReader, LongNamesAreCutToTheBufferAndTheWalkGoesOn) {
  std::string s = Archive();
  AddFile(s, std::string(1000, 'y'), 2);
  AddFile(s, "next", 0);
  auto m = RunReader(ReadAce, s).members;
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].name, std::string(search::kMemberNameBuffer - 1, 'y'));
  EXPECT_EQ(m[1].name, "next");
}

}  // namespace
}  // namespace quillow::test
