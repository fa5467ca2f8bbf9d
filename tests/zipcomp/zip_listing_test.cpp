// The component's own listing: real archives, and hand-built bytes (laid out as the local
// header is documented) for the scan and the damage the walk must survive.
#include "zip/component/zip_listing.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/reader_test_util.h"

namespace quillow::zip {
namespace {

using test::Put16;
using test::Put32;

// One local header with `data` as its packed bytes; sizes may lie.
std::string Member(const std::string& name, const std::string& data,
                   std::optional<int32_t> packed = {}, uint16_t extra = 0) {
  std::string s = "PK\x03\x04";
  Put16(s, 20);          // version needed
  Put16(s, 0);           // flags
  Put16(s, 0);           // stored
  Put16(s, 0x6000);      // time
  Put16(s, 0x2A21);      // date
  Put32(s, 0x12345678);  // CRC
  Put32(s, static_cast<uint32_t>(packed ? *packed : static_cast<int32_t>(data.size())));
  Put32(s, static_cast<uint32_t>(data.size()));
  Put16(s, static_cast<uint16_t>(name.size()));
  Put16(s, extra);
  return s + name + std::string(extra, 'e') + data;
}

// What follows the last member: a central header's signature and room for the end record.
std::string Tail() { return "PK\x01\x02" + std::string(40, '\0'); }

ListingResult List(const std::string& bytes, bool program = false) {
  search::ByteSource src(bytes);
  return ListZipDirectory(src, program);
}

std::vector<std::string> Names(const ListingResult& r) {
  std::vector<std::string> names;
  for (const auto& e : r.entries) names.push_back(e.FileName);
  return names;
}

TEST(ZipListing, RealArchiveFromOffsetZero) {
  const ListingResult r = List(test::LoadFile(test::TestData("zip/basic.zip")));
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(r.firstEntryOffset, 0u);
  ASSERT_EQ(Names(r),
            (std::vector<std::string>{"docs\\", "docs\\readme.txt", "big.TXT", "one.bin"}));
  const ZipDirEntry& big = r.entries[2];
  EXPECT_EQ(big.Method, 8);
  EXPECT_EQ(big.UncompressedSize, 6200);
  EXPECT_LT(big.CompressedSize, 6200);
  EXPECT_EQ(big.FileNameLength, 7);
  EXPECT_EQ(r.entries[3].Method, 0);
  EXPECT_EQ(r.entries[3].ModDate, (2020 - 1980) << 9 | 12 << 5 | 31);
}

TEST(ZipListing, StubBeforeTheArchiveIsScannedOver) {
  const ListingResult r = List(test::LoadFile(test::Sample("zip/zip-sfx-small-stub.zip")));
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(r.firstEntryOffset, 1024u);
  EXPECT_FALSE(r.entries.empty());
}

// Where the scan starts and how far it goes: every byte of filler is one attempt, and a
// program file is scanned from byte 14,000.
TEST(ZipListing, ScanStartAndAttemptLimit) {
  const std::string archive = Member("a/b.txt", "hello") + Tail();
  struct Case {
    size_t at;
    bool program;
    bool found;
  } cases[] = {
      {20000, true, true},      // a self-extractor's data behind its stub
      {20000, false, true},     // the same data under another name: scanned from 0
      {59999, false, true},     // the 60,000th attempt
      {60000, false, false},    // one byte further
      {74000 - 1, true, true},  // 14,000 + the 60,000th attempt
      {74000, true, false},    {10000, true, false},  // before the jump: never seen
  };
  for (const Case& c : cases) {
    const ListingResult r = List(std::string(c.at, 'x') + archive, c.program);
    SCOPED_TRACE(std::to_string(c.at) + (c.program ? " program" : ""));
    if (c.found) {
      EXPECT_EQ(r.message, "");
      EXPECT_EQ(r.firstEntryOffset, c.at);
      EXPECT_EQ(Names(r), std::vector<std::string>{"a\\b.txt"});
    } else {
      EXPECT_EQ(r.message, "No valid zip entries found!");
      EXPECT_TRUE(r.entries.empty());
    }
  }
}

TEST(ZipListing, ByteThatBreaksAMatchIsNotRetried) {
  const std::string archive = Member("m", "x") + Tail();
  // The second "P" is used up by the "K" test; the header behind is found instead.
  ListingResult r = List("PPK\x03\x04" + archive);
  EXPECT_EQ(r.firstEntryOffset, 5u);
  EXPECT_EQ(r.entries.size(), 1u);
  // "PK" after "P" costs no attempt of its own: the try at offset 0 spans bytes 0-1, the
  // next try starts at offset 2, so 59,999 "PX" pairs still leave room for the header.
  std::string pairs;
  for (int i = 0; i < 59999; ++i) pairs += "PX";
  r = List(pairs + archive);
  EXPECT_EQ(r.firstEntryOffset, pairs.size());
}

TEST(ZipListing, EndOfFileInsideTheSignature) {
  EXPECT_EQ(List("").message, "No valid zip entries found!");
  EXPECT_EQ(List("xxP").message, "No valid zip entries found!");
  EXPECT_EQ(List("xxPK").message, "No valid zip entries found!");
  EXPECT_EQ(List("xxPK\x03").message, "No valid zip entries found");
  const ListingResult empty = List(test::LoadFile(test::TestData("zip/empty.zip")));
  EXPECT_EQ(empty.message, "No valid zip entries found!");
  EXPECT_TRUE(empty.entries.empty());
}

TEST(ZipListing, DamagedFirstHeaderIsScannedPast) {
  const std::string good = Member("good", "data") + Tail();
  for (const std::string& damaged : {Member("bad", "", 1 << 20),  // data past the end
                                     Member("bad", "", -8),       // would step backwards
                                     Member("bad", "", 0x7FFFFFF0)}) {
    const ListingResult r = List(damaged + good);
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(Names(r), std::vector<std::string>{"good"});
    EXPECT_EQ(r.firstEntryOffset, damaged.size());
  }
  // Cut short: the scan resumes at the end of the file and finds nothing.
  EXPECT_EQ(List(Member("bad", "").substr(0, 20)).message, "No valid zip entries found!");
}

TEST(ZipListing, DamageAfterTheFirstMemberKeepsWhatWasRead) {
  // The first member's data must end 22 bytes before the end of the file, so every damage
  // below leaves at least that much behind it.
  const std::string first = Member("one", "1");
  struct Case {
    std::string rest;
    std::string message;
  } cases[] = {
      {Member("two/x", "", 1 << 20) + Tail(), "Error 3 reading Zip filetwo\\x"},
      {Member("two", "", -40) + Tail(), "Error 3 reading Zip filetwo"},
      {Member(std::string(100, 'n'), "").substr(0, 40), "Error 2 reading Zip file"},
      {std::string(24, '\0') + "PK\x03", "Error reading Zip File!"},
  };
  for (const Case& c : cases) {
    const ListingResult r = List(first + c.rest);
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(Names(r), std::vector<std::string>{"one"});
  }
}

TEST(ZipListing, OtherRecordsAreSteppedOverAndLongNamesReadWhole) {
  const std::string descriptor = "PK\x07\x08" + std::string(12, '\0');
  const std::string longName(300, 'n');
  const ListingResult r =
      List(Member("a", "1", {}, 5) + descriptor + Member(longName, "22") + Tail());
  EXPECT_EQ(r.message, "");
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.entries[0].ExtraFieldLength, 5);
  EXPECT_EQ(r.entries[1].FileName, longName);
}

TEST(ZipListing, ProgramFilesByExtension) {
  EXPECT_TRUE(IsProgramFile("C:\\a\\setup.exe"));
  EXPECT_TRUE(IsProgramFile("SETUP.Exe"));
  EXPECT_FALSE(IsProgramFile("setup.exe.zip"));
  EXPECT_FALSE(IsProgramFile("C:\\x.exe\\archive"));
  EXPECT_FALSE(IsProgramFile("exe"));
}

}  // namespace
}  // namespace quillow::zip
