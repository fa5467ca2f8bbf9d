// LZH reader: fixtures of header levels 0, 1 and 2 made by Debian's jlha
// (tests/data/make-arj-lzh-arc.sh) and checked against lsar's listing of them, cross-checked
// there with 7zz and bsdtar; real samples from tests/data/samples (level 3 included); hand-built
// bytes, said so, for hostile headers no archive shows.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadLzh;

using Extended = std::vector<std::pair<char, std::string>>;

// A level-2 header (or level 3, with 4-byte sizes) with the given extended headers, and its
// packed data (hand-built).
std::string HighLevel(int level, const Extended& ext, uint32_t packed,
                      uint32_t unixTime = 1000000000) {
  const unsigned width = level == 3 ? 4 : 2;
  auto putSize = [&](std::string& s, uint32_t v) {
    level == 3 ? Put32(s, v) : Put16(s, static_cast<uint16_t>(v));
  };
  std::string h;
  Put16(h, level == 3 ? 4 : 0);  // level 2: total size, filled in below
  h += "-lh0-";
  Put32(h, packed);
  Put32(h, packed + 7);
  Put32(h, unixTime);
  h += {'\x20', static_cast<char>(level), 0, 0, 'U'};
  if (level == 3) Put32(h, 0);  // total size, filled in below
  putSize(h, ext.empty() ? 0 : 1 + ext[0].second.size() + width);
  for (size_t i = 0; i < ext.size(); ++i) {
    h += ext[i].first + ext[i].second;
    putSize(h, i + 1 < ext.size() ? 1 + ext[i + 1].second.size() + width : 0);
  }
  std::string total;
  Put32(total, static_cast<uint32_t>(h.size()));
  h.replace(level == 3 ? 24 : 0, width, total.substr(0, width));
  return h + std::string(packed, 'd');
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

TEST(LzhReader, LevelZeroAndTwoFixturesListAsIndependentToolsListThem) {
  ExpectListsAsPeer(ReadLzh, "lzh/level0.lzh", true, false);
  ExpectListsAsPeer(ReadLzh, "lzh/level2.lzh", true, true);
  // Folders as LHA's DOS convention writes them, whether stored (level 0) or joined from the
  // 0xFF-separated directory header (level 2).
  for (const char* file : {"lzh/level0.lzh", "lzh/level2.lzh"}) {
    const auto ctx = RunReader(ReadLzh, LoadFile(TestData(file)));
    EXPECT_EQ(ctx.members.at(4).name, "docs\\sub\\") << file;
    EXPECT_EQ(ctx.members.at(5).name, "docs\\sub\\deep.dat") << file;
  }
}

TEST(LzhReader, LevelOneTakesTheBaseHeaderNameAndACompressedSizeThatCountsExtendedHeaders) {
  // Where the peers join the folder from the extended headers and count only the data, the
  // level-1 walk lists the base header as it stands: the bare name (empty for a folder) and
  // the compressed size, which also covers the extended headers.
  const auto peer = LoadPeer(TestData("lzh/level1.lzh"));
  const auto ctx = RunReader(ReadLzh, LoadFile(TestData("lzh/level1.lzh")));
  ASSERT_EQ(ctx.members.size(), peer.size());
  for (size_t i = 0; i < peer.size(); ++i) {
    const bool folder = peer[i].size == 0 && peer[i].name.find('.') == std::string::npos;
    EXPECT_EQ(ctx.members[i].name, folder ? "" : BaseName(peer[i].name));
    EXPECT_EQ(ctx.members[i].size, peer[i].size);
    EXPECT_GT(ctx.members[i].packed, peer[i].packed);
    EXPECT_EQ(ctx.members[i].date, peer[i].date);
  }
}

TEST(LzhReader, RealSamplesOfEveryLevelListEveryMember) {
  const char* const subdir =
      "subdir\\ 0 0 | subdir\\subdir2\\ 0 0 | subdir\\subdir2\\hello.txt 12 12";
  const struct {
    const char* file;
    std::string listing;
  } cases[] = {
      {"lzh/explzh723-win-level0-subdir.lzh", subdir},
      {"lzh/explzh723-win-level2-subdir.lzh", subdir},
      {"lzh/lha114i-unix-level0-subdir.lzh",
       " 0 0 |  0 0 | hello.txt 12 12"},  // names stored empty
      {"lzh/lha114i-unix-level1-subdir.lzh", " 0 29 |  0 37 | hello.txt 12 49"},
      {"lzh/lha114i-unix-level2-subdir.lzh", subdir},
      {"lzh/lha208-os2-level3-subdir.lzh",
       "subdir\\ 0 0 | subdir\\subdir2\\ 0 0 | subdir\\subdir2\\HELLO.TXT 14 14"},
      {"lzh/lha122-amiga-level0.lzh", "subdir\\subdir2\\hello.txt 12 12"},
      {"lzh/lha122-amiga-level1.lzh", "hello.txt 12 39"},
      {"lzh/lha122-amiga-level2.lzh", "subdir\\subdir2\\hello.txt 12 12"},  // no trailing 0xFF
      {"lzh/lharc113-dos-level0-subdir.lzh", "SUBDIR\\SUBDIR2\\HELLO.TXT 12 12"},
      {"lzh/lha213-dos-level1-lh5.lzh", "GPL-2 18092 7004"},
      {"lzh/lhasa-regression-truncated-lh5.lzh", "GPL-2 18092 7004"},  // data runs past the end
      {"lzh/jlha-level0-five-files.lzh",
       "hello.txt 27 27 | readme.txt 3880 666 | empty.txt 0 0 | docs\\notes.txt 3490 449 | "
       "docs\\sub\\deep.dat 3000 3000"},
      {"lzh/jlha-level2-five-files.lzh",
       "hello.txt 27 27 | readme.txt 3880 666 | empty.txt 0 0 | docs\\notes.txt 3490 449 | "
       "docs\\sub\\deep.dat 3000 3000"},
      {"lzh/lhasa-regression-multiple-stored.lzh",
       "file1.txt 11 30 | file2-1.txt 15 34 | file2-2.txt 15 34 | file3.txt 11 30 | file4.txt 12 "
       "31"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Summary(RunReader(ReadLzh, LoadFile(Sample(c.file))).members), c.listing) << c.file;

  // Levels 2 and 3 keep a Unix time at offset 15.
  uint16_t date, time;
  platform::UnixTimeToDos(0x4EDA96EA, date, time);
  const auto level3 = RunReader(ReadLzh, LoadFile(Sample("lzh/lha208-os2-level3-subdir.lzh")));
  EXPECT_EQ(level3.members[2].date, date);
  EXPECT_EQ(level3.members[2].time, time);
}

TEST(LzhReader, TheWalkEndsAtTheZeroByteOrWhereAStubLeadsItPastTheEnd) {
  // Headers after the zero byte are never read.
  const std::string level0 = LoadFile(TestData("lzh/level0.lzh"));
  EXPECT_EQ(RunReader(ReadLzh, level0 + level0).members.size(), 7u);
  // A DOS self-extractor renamed .lzh: its program part has no "-xxx-" method id where a
  // header has one, so nothing is listed (no junk members with huge sizes).
  EXPECT_TRUE(RunReader(ReadLzh, LoadFile(Sample("lzh/lha255e-dos-sfx-stub.lzh"))).members.empty());
}

TEST(LzhReader, HostileHeadersEndTheWalkWithoutOverrun) {
  const std::string ok = HighLevel(2, {{1, "OK.TXT"}}, 2);
  EXPECT_EQ(Summary(RunReader(ReadLzh, ok + ok + '\0').members), "OK.TXT 9 2 | OK.TXT 9 2");
  // Extended header sizes that leave the header (into bytes that are there) or cannot hold
  // their own fields.
  std::string outside = ok + std::string(100, '\0'), tooSmall = ok;
  outside[24] = '\x40';
  tooSmall[24] = '\x02';
  // A level-3 header and its extended header claiming more bytes than the file has.
  std::string level3 = HighLevel(3, {{1, "X"}}, 0);
  level3[27] = level3[31] = '\x7f';
  // A level-0 name running past the header size.
  std::string level0 = LoadFile(TestData("lzh/level0.lzh"));
  level0[21] = '\x30';
  for (const std::string& bytes : {outside, tooSmall, level3, level0})
    EXPECT_TRUE(RunReader(ReadLzh, bytes).members.empty());
  // Directory and file names of 300 bytes each fill the name buffer and no more.
  const auto both =
      RunReader(ReadLzh, HighLevel(2, {{2, std::string(300, 'd')}, {1, std::string(300, 'f')}}, 0));
  ASSERT_EQ(both.members.size(), 1u);
  EXPECT_EQ(both.members[0].name, std::string(259, 'd'));
  // The separator goes between directory and name; the join is cut at the buffer too.
  const auto joined =
      RunReader(ReadLzh, HighLevel(3, {{2, "a\xff" + std::string(253, 'b')}, {1, "name"}}, 0));
  EXPECT_EQ(joined.members.at(0).name, "a\\" + std::string(253, 'b') + "\\nam");
}

TEST(LzhReader, EveryCutOfARealArchiveListsAPrefix) {
  for (const char* file : {"lzh/level0.lzh", "lzh/level1.lzh", "lzh/level2.lzh"})
    ExpectEveryCutListsAPrefix(ReadLzh, LoadFile(TestData(file)));
  ExpectEveryCutListsAPrefix(ReadLzh, LoadFile(Sample("lzh/lha208-os2-level3-subdir.lzh")));
}

}  // namespace
}  // namespace quillow::test
