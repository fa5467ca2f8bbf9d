// ARJ reader: fixtures made by Debian's arj 3.10 (tests/data/make-arj-lzh-arc.sh) and checked
// against the listings lsar and 7zz give of them; real samples from tests/data/samples;
// hand-built bytes, said so, for what no archive shows.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadArj;

constexpr uint8_t kDos = 0;

// A basic header with its CRC, extended headers (each with a CRC) and packed data (hand-built).
std::string ArjHeader(const std::string& name, uint32_t packed, uint8_t host = kDos,
                      uint32_t stamp = (DosDate(2002, 2, 2) << 16) | DosTime(2, 2, 2),
                      const std::vector<std::string>& extended = {}) {
  std::string basic = {30, 11, 1, static_cast<char>(host), 0, 1, 0, 0};
  Put32(basic, stamp);
  Put32(basic, packed);
  Put32(basic, packed + 1);
  basic.resize(30, '\0');
  basic += name + '\0' + '\0';  // name, empty comment
  std::string h;
  Put16(h, 0xEA60);
  Put16(h, static_cast<uint16_t>(basic.size()));
  h += basic + "CRC!";
  for (const std::string& e : extended) {
    Put16(h, static_cast<uint16_t>(e.size()));
    h += e + "crc!";
  }
  Put16(h, 0);
  return h + std::string(packed, 'd');
}
const std::string kEnd("\x60\xea\0\0", 4);

TEST(ArjReader, FixturesListAsIndependentToolsListThem) {
  ExpectListsAsPeer(ReadArj, "arj/dos-tree.arj", false, false);
  ExpectListsAsPeer(ReadArj, "arj/stored.arj", false, false);
  // Host OS UNIX, what arj writes on Linux by default: the date field is a Unix time.
  ExpectListsAsPeer(ReadArj, "arj/unix-tree.arj", false, true);
}

TEST(ArjReader, NonEmptyExtendedHeadersAreSteppedOverWithTheirCrcs) {
  // arj -2o gives every member an owner extended header. lsar gives up after the first
  // member (it does not step over that header's CRC), so the peer is 7zz, which shows no
  // host-UNIX dates; the files are those of unix-tree.arj, which must list the same.
  const auto owner = RunReader(ReadArj, LoadFile(TestData("arj/owner-ext.arj"))).members;
  const auto plain = RunReader(ReadArj, LoadFile(TestData("arj/unix-tree.arj"))).members;
  std::string peer;
  for (const PeerMember& p : LoadPeer(TestData("arj/owner-ext.arj")))
    peer += (peer.empty() ? "" : " | ") + p.name + " " + std::to_string(p.size) + " " +
            std::to_string(p.packed);
  EXPECT_EQ(Summary(owner), peer);
  ASSERT_EQ(owner.size(), plain.size());
  for (size_t i = 0; i < owner.size(); ++i)
    EXPECT_EQ(owner[i].date, plain[i].date) << owner[i].name;
  // Hand-built: two extended headers in the main header and two on the first member.
  const std::string bytes = ArjHeader("A.ARJ", 0, kDos, 0, {"main1", "m2"}) +
                            ArjHeader("ONE", 3, kDos, 0, {"x", "owner data"}) +
                            ArjHeader("TWO", 1) + kEnd;
  EXPECT_EQ(Summary(RunReader(ReadArj, bytes).members), "ONE 4 3 | TWO 2 1");
}

TEST(ArjReader, RealSamplesListEveryMember) {
  const struct {
    const char* file;
    size_t count;
    const char* first;
    const char* last;
  } cases[] = {
      {"arj/arj-unix-host-dir-and-file.arj", 1, "t/t.txt 2 2", "t/t.txt 2 2"},
      {"arj/arj-unix-host-empty-file.arj", 1, "empty 0 0", "empty 0 0"},
      {"arj/arj310-dos-mode-archive-comment.arj", 2, "hello.txt 27 27", "readme.txt 3880 667"},
      {"arj/arj310-dos-mode-files-dirs-long-name.arj", 11,
       "long/a_directory_name_that_is_fairly_long_to_push_paths/"
       "another_long_directory_component_here/"
       "file_with_a_long_name_exceeding_the_100_char_ustar_name_field.txt 15 15",
       "docs 0 0"},
      {"arj/arj310-dos-mode-garbled-password.arj", 2, "hello.txt 27 35", "readme.txt 3880 667"},
      {"arj/arj310-dos-mode-stored-m0.arj", 2, "hello.txt 27 27", "readme.txt 3880 3880"},
      {"arj/arj310-unix-host-unix-timestamps.arj", 7, "docs/sub/deep.dat 3000 3000", "docs 0 0"},
  };
  for (const auto& c : cases) {
    const auto ctx = RunReader(ReadArj, LoadFile(Sample(c.file)));
    ASSERT_EQ(ctx.members.size(), c.count) << c.file;
    EXPECT_EQ(Line(ctx.members.front()), c.first) << c.file;
    EXPECT_EQ(Line(ctx.members.back()), c.last) << c.file;
  }
  // 2010-02-19 06:48:58 UTC, stored as a Unix time by a host-UNIX arj.
  uint16_t date, time;
  platform::UnixTimeToDos(1266562138, date, time);
  const auto unixHost = RunReader(ReadArj, LoadFile(Sample("arj/arj-unix-host-dir-and-file.arj")));
  EXPECT_EQ(unixHost.members[0].date, date);
  EXPECT_EQ(unixHost.members[0].time, time);
}

TEST(ArjReader, NameReadRunsShortOnlyWhereItsTerminatorWasRead) {
  // The last name of a small archive has fewer than 255 bytes after it (the sample ends 20
  // bytes later); a name whose terminator is cut off is no name (hand-built).
  EXPECT_EQ(RunReader(ReadArj, LoadFile(Sample("arj/arj-unix-host-empty-file.arj"))).members.size(),
            1u);
  const std::string head = ArjHeader("A.ARJ", 0) + ArjHeader("ONE", 0);
  const std::string cut = head + ArjHeader("SECOND", 0).substr(0, 34 + 3);
  EXPECT_EQ(Summary(RunReader(ReadArj, cut).members), "ONE 1 0");
}

TEST(ArjReader, LongNamesAreCutHugeSizesEndAndMissingHeadersListNothing) {
  const std::string longName(300, 'L');
  const auto ctx = RunReader(ReadArj, ArjHeader("A.ARJ", 0) + ArjHeader(longName, 0) + kEnd);
  ASSERT_EQ(ctx.members.size(), 1u);
  EXPECT_EQ(ctx.members[0].name, longName.substr(0, 255));

  std::string huge = ArjHeader("A.ARJ", 0) + ArjHeader("BIG", 0) + ArjHeader("NEVER", 0);
  huge.replace(huge.find("BIG") - 30 + 12, 4, "\xff\xff\xff\xff");  // compressed size
  EXPECT_EQ(Summary(RunReader(ReadArj, huge).members), "BIG 1 4294967295");

  std::string emptyMain = kEnd + ArjHeader("ONE", 0);  // main header of basic size 0
  for (const std::string& bytes : {emptyMain, "PK" + ArjHeader("A.ARJ", 0) + ArjHeader("ONE", 0)})
    EXPECT_TRUE(RunReader(ReadArj, bytes).members.empty());
}

TEST(ArjReader, EveryCutOfARealArchiveListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadArj, LoadFile(TestData("arj/dos-tree.arj")));
}

}  // namespace
}  // namespace quillow::test
