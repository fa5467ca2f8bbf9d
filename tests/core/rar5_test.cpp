// RAR 5 reader: archives made by a licensed RAR 5 (tests/data/rar5, see SOURCES.md; lsar and
// bsdtar list the same names and sizes), and hand-built blocks for what no sample holds.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "rar5_blocks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadRar;

TEST(Rar5Reader, SamplesListTheirFileAndFolderHeadersThroughTheRarPass) {
  const std::pair<const char*, const char*> cases[] = {
      {"rar5-blake.rar", "stest1.txt 2048 55 | stest2.txt 2048 2048"},
      {"rar5-crc.rar", "stest1.txt 2048 55 | stest2.txt 2048 2048"},
      {"rar5-owner.rar", "owner1.txt 2 2 | owner2.txt 2 2"},
      // The quick-open copy of the headers is a service block: each file once.
      {"rar5-quick-open.rar", "stest1.txt 2048 55 | stest2.txt 2048 55"},
      // Made on Windows: the name is stored with a backslash, and shown so.
      {"rar5-readonly-win.rar", "ro_dir\\ro_file.txt 9 9 | ro_dir 0 0"},
      {"rar5-subdirs.rar",
       "sub/dir2/file2.txt 6 6 | sub/with space/long fn.txt 8 8 | "
       "sub/\xC3\xBC\xC8\xB5\xC4\xA9\xC3\xB6\xE1\xB8\x8B\xC3\xA8/file.txt 5 5 | "
       "sub/dir1/file1.txt 6 6 | sub/dir2 0 0 | sub/with space 0 0 | sub/empty 0 0 | "
       "sub/\xC3\xBC\xC8\xB5\xC4\xA9\xC3\xB6\xE1\xB8\x8B\xC3\xA8 0 0 | sub/dir1 0 0 | sub 0 0"},
      // A link's size is its target's length, as lsar shows it.
      {"rar5-symlink-unix.rar", "data_link 8 0 | data.txt 5 5 | random_link 12 0"},
      {"rar5-versions.rar", "versioned.txt 2 2 | versioned.txt 2 2 | versioned.txt 2 2"},
      // The first of three volumes: the part of the file that it holds; its quick-open and
      // recovery blocks are service blocks.
      {"rar5-vols.part1.rar", "vols/bigfile.txt 205000 98489"},
  };
  for (const auto& [file, listing] : cases) {
    auto ctx = RunReader(ReadRar, LoadFile(TestData(std::string("rar5/") + file)));
    EXPECT_EQ(Summary(ctx.members), listing) << file;
    EXPECT_TRUE(ctx.warnings.empty()) << file;
  }
}

TEST(Rar5Reader, UnixTimesBecomeLocalDosTimes) {
  auto m = RunReader(ReadRar, LoadFile(TestData("rar5/rar5-owner.rar"))).members;
  ASSERT_EQ(m.size(), 2u);
  uint16_t date = 0, time = 0;
  platform::UnixTimeToDos(1596138496, date, time);  // 2020-07-30 19:48:16 UTC, as lsar shows
  EXPECT_EQ(m[1].date, date);
  EXPECT_EQ(m[1].time, time);
}

TEST(Rar5Reader, EveryCutListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadRar, LoadFile(TestData("rar5/rar5-subdirs.rar")));
}

TEST(Rar5Reader, HandBuiltBlocks) {
  const struct {
    const char* what;
    std::string bytes;
    std::string listing;
    bool encrypted;
  } cases[] = {
      {"service block with data between files",
       kRar5Sig + kRar5Main + Rar5Block(2, Rar5File("a", 3), "abc") +
           Rar5Block(3, Rar5File("CMT", 5), "hello") + Rar5Block(2, Rar5File("b", 1), "x") +
           Rar5Block(5, Rar5Vint(0)),
       "a 3 3 | b 1 1", false},
      {"encrypted headers first", kRar5Sig + Rar5Block(4, std::string(30, '\0')) + kRar5Main, "",
       true},
      {"damaged header CRC ends the walk",
       [] {
         std::string s = kRar5Sig + kRar5Main + Rar5Block(2, Rar5File("a", 3), "abc") +
                         Rar5Block(2, Rar5File("b", 1));
         s[s.size() - 3] ^= 1;
         return s;
       }(),
       "a 3 3", false},
      {"header size past the file",
       kRar5Sig + kRar5Main + Rar5Block(2, Rar5File("a", 3), "abc") +
           std::string("\0\0\0\0\xFF\x7F", 6),
       "a 3 3", false},
      {"name length past the header",
       kRar5Sig + kRar5Main +
           Rar5Block(2, Rar5Vint(0) + Rar5Vint(1) + Rar5Vint(0) + Rar5Vint(0) + Rar5Vint(0) +
                            Rar5Vint(9) + "ab"),
       "", false},
      {"long name cut to the buffer",
       kRar5Sig + kRar5Main + Rar5Block(2, Rar5File(std::string(300, 'n'), 1), "x") +
           Rar5Block(2, Rar5File("next", 1), "y"),
       std::string(search::kMemberNameBuffer - 1, 'n') + " 1 1 | next 1 1", false},
      {"not a RAR 5 signature", std::string("Rar!\x1A\x07\x02\x00", 8) + kRar5Main, "", false},
  };
  for (const auto& c : cases) {
    auto ctx = RunReader(ReadRar, c.bytes);
    EXPECT_EQ(Summary(ctx.members), c.listing) << c.what;
    EXPECT_EQ(ctx.warnings, c.encrypted ? std::vector<std::string>{": Encrypted RAR headers: "
                                                                   "members cannot be listed\n"}
                                        : std::vector<std::string>{})
        << c.what;
  }
}

TEST(Rar5Reader, TimeFromTheExtraArea) {
  // Extra record of type 3: Unix-format times, modification time present.
  std::string timeRecord = Rar5Vint(3) + Rar5Vint(0x03);
  Put32(timeRecord, 1596138496);
  const std::string extra = Rar5Vint(timeRecord.size()) + timeRecord;
  auto m =
      RunReader(ReadRar, kRar5Sig + kRar5Main + Rar5Block(2, Rar5File("t", 1, false), "x", extra) +
                             Rar5Block(2, Rar5File("u", 1, false), "y"))
          .members;
  ASSERT_EQ(m.size(), 2u);
  uint16_t date = 0, time = 0;
  platform::UnixTimeToDos(1596138496, date, time);
  EXPECT_TRUE(m[0].dated);
  EXPECT_EQ(m[0].date, date);
  EXPECT_EQ(m[0].time, time);
  EXPECT_FALSE(m[1].dated);
}

}  // namespace
}  // namespace quillow::test
