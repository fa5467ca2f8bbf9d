// ZOO reader: real samples from tests/data/samples (no Debian package writes ZOO); hand-built
// chains, said so, for what no archive shows: loops, backward links, bad first positions.
#include <gtest/gtest.h>

#include "listing_checks.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadZoo;

constexpr uint32_t kTag = 0xFDC4A7DC;

// Archive header pointing to `first`, padded to offset 42 as zoo writes it (hand-built).
std::string ZooHeader(uint32_t first) {
  std::string h = "ZOO 2.10 Archive.\x1a";
  h.resize(20, '\0');
  Put32(h, kTag);
  Put32(h, first);
  h.resize(42, '\0');
  return h;
}

// A directory entry at the end of `bytes`, padded to 60 bytes (hand-built).
void AddEntry(std::string& bytes, uint32_t next, const std::string& name, uint32_t size = 5) {
  std::string e;
  Put32(e, kTag);
  Put16(e, 0x0102);
  Put32(e, next);
  Put32(e, 0);
  Put16(e, DosDate(1996, 6, 6));
  Put16(e, DosTime(6, 6, 6));
  Put16(e, 0);
  Put32(e, size);
  Put32(e, size - 1);
  e.append(10, '\0');
  e += name;
  e.resize(60, '\0');
  bytes += e;
}

TEST(ZooReader, RealSamplesFollowTheChainAndReportTheEntryThatEndsIt) {
  // The null entry that carries next position 0 is reported too, with its empty name; so is
  // an entry flagged as deleted.
  const struct {
    const char* file;
    const char* listing;
  } cases[] = {
      {"zoo/zoo-1991-booz-sample-lzh.zoo", "readme 7972 410 |  0 0"},
      {"zoo/zoo210-two-files.zoo", "t.txt 2 2 | t2.txt 2 2 |  0 0"},
      {"zoo/zoo211-deleted-entry.zoo",
       "notes.txt 3490 656 | hello.txt 27 27 | readme.txt 3880 957 |  0 0"},
      {"zoo/zoo211-lzh-with-comments.zoo",
       "notes.txt 3490 451 | hello.txt 27 27 | readme.txt 3880 670 |  0 0"},
      {"zoo/zoo211-lzw-five-files-dirs.zoo",
       "notes.txt 3490 656 | deep.dat 3000 3000 | empty.txt 0 0 | hello.txt 27 27 | readme.txt "
       "3880 957 |  0 0"},
      {"zoo/zoo211-only-deleted-entry.zoo", "hello.txt 27 27 |  0 0"},
      {"zoo/zoo211-two-generations-same-name.zoo", "note.txt 12 12 | note.txt 20 20 |  0 0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Summary(RunReader(ReadZoo, LoadFile(Sample(c.file))).members), c.listing) << c.file;

  const auto two = RunReader(ReadZoo, LoadFile(Sample("zoo/zoo211-two-generations-same-name.zoo")));
  EXPECT_EQ(two.members[1].date, DosDate(1997, 7, 7));  // date before time in the entry
  EXPECT_EQ(two.members[1].time, DosTime(7, 7, 6));
}

TEST(ZooReader, ChainIsFollowedByPositionNotByFileOrder) {
  std::string bytes = ZooHeader(42);
  AddEntry(bytes, 162, "FIRST.TXT");  // at 42, skips the entry at 102
  AddEntry(bytes, 222, "ORPHAN.TXT");
  AddEntry(bytes, 0, "LAST.TXT");
  EXPECT_EQ(Summary(RunReader(ReadZoo, bytes).members), "FIRST.TXT 5 4 | LAST.TXT 5 4");
}

TEST(ZooReader, ChainsThatPointBackOrIntoTheCurrentEntryEndInsteadOfLooping) {
  // Hand-built damaged chains: entry B at 102 names a next position that is not past its own
  // 51 bytes: the archive header, entry A, B itself, or a place inside B.
  for (uint32_t badNext : {30u, 42u, 102u, 110u, 152u}) {
    std::string bytes = ZooHeader(42);
    AddEntry(bytes, 102, "A");
    AddEntry(bytes, badNext, "B");
    AddEntry(bytes, 0, "C");
    EXPECT_EQ(Summary(RunReader(ReadZoo, bytes).members), "A 5 4 | B 5 4") << badNext;
  }
}

TEST(ZooReader, MissingTagOrFirstPositionListsNothing) {
  std::string none = ZooHeader(0);
  AddEntry(none, 0, "X");
  std::string intoHeader = ZooHeader(20);  // the tag at 20 would pass for an entry
  AddEntry(intoHeader, 0, "X");
  std::string badTag = ZooHeader(42);
  AddEntry(badTag, 0, "X");
  badTag[42] = 'x';
  std::string past = ZooHeader(4000);
  for (const std::string& bytes : {none, intoHeader, badTag, past, ZooHeader(42).substr(0, 23)})
    EXPECT_TRUE(RunReader(ReadZoo, bytes).members.empty());
}

TEST(ZooReader, EveryCutOfARealArchiveListsAPrefix) {
  ExpectEveryCutListsAPrefix(ReadZoo, LoadFile(Sample("zoo/zoo211-lzw-five-files-dirs.zoo")));
}

}  // namespace
}  // namespace quillow::test
