// ZIP reader: fixtures made by Info-ZIP zip (tests/data/make-zip.sh); hand-built bytes only
// where no tool writes the case, and said so.
#include <gtest/gtest.h>

#include "reader_test_util.h"
#include "search/formats/formats.h"

namespace quillow::test {
namespace {

using search::formats::ReadZip;

const char kRarity[] = ": This ZIP type not supported due to its rarity\n";
const char kCorrupt[] = ": Corrupt ZIP file\n";

// A stored member's local header with the given fields (hand-built).
std::string LocalHeader(const std::string& name, uint32_t packed, uint32_t size, uint16_t flags = 0,
                        uint16_t extra = 0) {
  std::string h;
  Put32(h, 0x04034B50);
  Put16(h, 10);
  Put16(h, flags);
  Put16(h, 0);
  Put16(h, 0x7A54);  // 15:18:40
  Put16(h, 0x2A6F);  // 2001-03-15
  Put32(h, 0);
  Put32(h, packed);
  Put32(h, size);
  Put16(h, static_cast<uint16_t>(name.size()));
  Put16(h, extra);
  h += name;
  h.append(extra, 'e');
  return h;
}

TEST(ZipReader, ListsEveryMemberOfARealArchiveInDirectoryOrder) {
  auto ctx = RunReader(ReadZip, LoadFile(TestData("zip/basic.zip")));
  ASSERT_EQ(ctx.members.size(), 4u);
  EXPECT_EQ(ctx.members[0].name, "docs/");
  EXPECT_EQ(ctx.members[1].name, "docs/readme.txt");  // stored separators stay
  EXPECT_EQ(ctx.members[2].name, "big.TXT");
  EXPECT_EQ(ctx.members[3].name, "one.bin");
  EXPECT_EQ(ctx.members[2].size, 6200u);
  EXPECT_LT(ctx.members[2].packed, 200u);  // deflated
  EXPECT_EQ(ctx.members[3].size, 1u);
  EXPECT_EQ(ctx.members[3].packed, 1u);  // stored
  // 2001-03-15 15:18:40 and 2020-12-31 00:07:00 as DOS words.
  EXPECT_EQ(ctx.members[1].date, (21 << 9) | (3 << 5) | 15);
  EXPECT_EQ(ctx.members[1].time, (15 << 11) | (18 << 5) | 20);
  EXPECT_EQ(ctx.members[3].date, (40 << 9) | (12 << 5) | 31);
  EXPECT_EQ(ctx.members[3].time, 7 << 5);
  EXPECT_TRUE(ctx.warnings.empty());
}

TEST(ZipReader, ArchivesThatAreNotPlainLocalHeaderChainsListNothingSilently) {
  for (const char* file : {"zip/empty.zip", "zip/stub-first.zip"}) {
    auto ctx = RunReader(ReadZip, LoadFile(TestData(file)));
    EXPECT_TRUE(ctx.members.empty()) << file;
    EXPECT_TRUE(ctx.warnings.empty()) << file;
  }
  // A RAR archive that carries a .zip name: no local header at offset 0.
  auto rar = RunReader(ReadZip, std::string("Rar!\x1a\x07\x00", 7) + std::string(40, '\0'));
  EXPECT_TRUE(rar.members.empty());
  EXPECT_TRUE(rar.warnings.empty());
}

TEST(ZipReader, DataDescriptorIsRefusedWithTheRarityMessage) {
  auto streamed = RunReader(ReadZip, LoadFile(TestData("zip/streamed.zip")));
  EXPECT_TRUE(streamed.members.empty());
  ASSERT_EQ(streamed.warnings.size(), 1u);
  EXPECT_EQ(streamed.warnings[0], kRarity);

  // No tool writes a good member followed by a streamed one: hand-built.
  std::string bytes = LocalHeader("first.txt", 3, 3) + "abc" + LocalHeader("second.txt", 0, 0, 8);
  auto ctx = RunReader(ReadZip, bytes);
  ASSERT_EQ(ctx.members.size(), 1u);
  EXPECT_EQ(ctx.members[0].name, "first.txt");
  ASSERT_EQ(ctx.warnings.size(), 1u);
  EXPECT_EQ(ctx.warnings[0], kRarity);
}

TEST(ZipReader, NameLengthLimitIs257) {
  auto ok = RunReader(ReadZip, LoadFile(TestData("zip/name257.zip")));
  ASSERT_EQ(ok.members.size(), 1u);
  EXPECT_EQ(ok.members[0].name.size(), 257u);
  EXPECT_TRUE(ok.warnings.empty());

  auto refused = RunReader(ReadZip, LoadFile(TestData("zip/name258.zip")));
  EXPECT_TRUE(refused.members.empty());
  ASSERT_EQ(refused.warnings.size(), 1u);
  EXPECT_EQ(refused.warnings[0], kCorrupt);
}

TEST(ZipReader, TruncatedLastMemberIsListedWithinTheHeaderSlackAndRefusedBeyondIt) {
  // The size test counts every byte after the compressed-size field, so packed data may run
  // past the end by up to 8 + name + extra bytes and the member is still listed.
  const std::string whole = LoadFile(TestData("zip/stored100.zip"));
  const std::string name = "data100.txt";  // stored, no extra field (zip -X)
  const size_t memberEnd = 30 + name.size() + 100;
  const size_t slack = 8 + name.size();

  auto listed = RunReader(ReadZip, whole.substr(0, memberEnd - slack));
  ASSERT_EQ(listed.members.size(), 1u);
  EXPECT_EQ(listed.members[0].name, name);
  EXPECT_TRUE(listed.warnings.empty());

  auto refused = RunReader(ReadZip, whole.substr(0, memberEnd - slack - 1));
  EXPECT_TRUE(refused.members.empty());
  ASSERT_EQ(refused.warnings.size(), 1u);
  EXPECT_EQ(refused.warnings[0], kCorrupt);
}

TEST(ZipReader, HugeCompressedSizeNeverMovesTheWalkBackwards) {
  // 2^31 and above read as negative in the signed size test and pass it; stepping over
  // such a member must still go forward and end the walk, not loop. Hand-built.
  for (uint32_t packed : {0x80000000u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    std::string bytes = LocalHeader("a.txt", packed, 5) + LocalHeader("b.txt", 0, 0);
    auto ctx = RunReader(ReadZip, bytes);
    ASSERT_EQ(ctx.members.size(), 1u) << packed;
    EXPECT_EQ(ctx.members[0].packed, packed);
    EXPECT_TRUE(ctx.warnings.empty());
  }
}

TEST(ZipReader, EveryTruncationOfARealArchiveEndsCleanlyWithAPrefix) {
  const std::string whole = LoadFile(TestData("zip/basic.zip"));
  const auto full = RunReader(ReadZip, whole);
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    auto ctx = RunReader(ReadZip, whole.substr(0, cut));
    ASSERT_LE(ctx.members.size(), full.members.size()) << cut;
    for (size_t i = 0; i < ctx.members.size(); ++i)
      EXPECT_EQ(ctx.members[i].name, full.members[i].name);
    EXPECT_LE(ctx.warnings.size(), 1u);
  }
}

TEST(ZipReader, SharedSamplesListTheirLocalHeaders) {
  // Encrypted members are listed like any other; a stub before the first header lists nothing.
  auto aes = RunReader(ReadZip, LoadFile(Sample("zip/7zip-winzip-aes256.zip")));
  ASSERT_EQ(aes.members.size(), 2u);
  EXPECT_EQ(aes.members[1].name, "readme.txt");
  EXPECT_EQ(aes.members[1].size, 3880u);
  EXPECT_EQ(aes.members[1].packed, 672u);
  EXPECT_TRUE(
      RunReader(ReadZip, LoadFile(Sample("zip/infozip30-unzipsfx-stub.zip"))).members.empty());
  auto bit3 = RunReader(ReadZip, LoadFile(Sample("zip/infozip30-zipcrypto-sets-bit3.zip")));
  EXPECT_TRUE(bit3.members.empty());
  ASSERT_EQ(bit3.warnings.size(), 1u);
  EXPECT_EQ(bit3.warnings[0], kRarity);
}

}  // namespace
}  // namespace quillow::test
