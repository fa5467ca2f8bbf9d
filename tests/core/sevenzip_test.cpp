// 7z reader: archives made by Debian's 7zz (tests/data/make-7z.sh, each with the listing
// `7zz l -slt` gives beside it), and archives rebuilt from them for what 7zz never writes
// (an LZMA2 header behind a BCJ filter) or for damage (lying counts, sizes and positions).
#include <gtest/gtest.h>
#include <lzma.h>

#include <sstream>

#include "listing_checks.h"
#include "search/formats/formats.h"
#include "search/formats/sevenzip_decode.h"

namespace quillow::test {
namespace {

using search::formats::ReadSevenZip;
using search::formats::sevenzip::Crc32;

const std::string kCorrupt = ": Corrupt 7z file\n";

// One line of a fixture's listing: name, size, packed size, Unix time or "?".
struct Listed {
  std::string name;
  uint32_t size = 0, packed = 0;
  std::string when;
};

std::vector<Listed> LoadListing(const std::string& file) {
  std::vector<Listed> out;
  std::istringstream in(LoadFile(TestData("7z/" + file + ".txt")));
  for (std::string line; std::getline(in, line);) {
    Listed l;
    std::istringstream fields(line);
    std::getline(fields, l.name, '\t');
    fields >> l.size >> l.packed >> l.when;
    out.push_back(l);
  }
  return out;
}

TEST(SevenZipReader, ArchivesListAs7ZipListsThem) {
  const char* files[] = {
      "lzma-solid.7z",   "lzma-nonsolid.7z",  "lzma2-solid.7z",       "lzma2-nonsolid.7z",
      "plain-header.7z", "no-times.7z",       "unicode.7z",           "bcj.7z",
      "many.7z",         "encrypted-data.7z", "encrypted-headers.7z", "anti-items.7z"};
  for (const std::string file : files) {
    const std::string bytes = LoadFile(TestData("7z/" + file));
    ASSERT_FALSE(bytes.empty()) << file;
    const auto expected = LoadListing(file);
    const CollectingContext ctx = RunReader(ReadSevenZip, bytes);
    ASSERT_EQ(ctx.members.size(), expected.size()) << file;
    for (size_t i = 0; i < expected.size(); ++i) {
      const Member& m = ctx.members[i];
      const Listed& e = expected[i];
      EXPECT_EQ(m.name, e.name) << file;
      EXPECT_EQ(m.size, e.size) << file << ": " << m.name;
      EXPECT_EQ(m.packed, e.packed) << file << ": " << m.name;
      EXPECT_EQ(m.dated, e.when != "?") << file << ": " << m.name;
      if (e.when == "?") continue;
      uint16_t date = 0, time = 0;
      platform::UnixTimeToDos(std::stoll(e.when), date, time);
      EXPECT_EQ(m.date, date) << file << ": " << m.name;
      EXPECT_EQ(m.time, time) << file << ": " << m.name;
    }
    const bool encryptedHeaders = file == "encrypted-headers.7z";
    EXPECT_EQ(ctx.warnings,
              encryptedHeaders
                  ? std::vector<std::string>{": Encrypted 7z headers: members cannot be listed\n"}
                  : std::vector<std::string>{})
        << file;
  }
}

// --- Archives rebuilt from a fixture -----------------------------------------------------

void PutNumber(std::string& s, uint64_t v) {
  // The shortest form: a first byte with k leading ones, then k low bytes.
  int extra = 0;
  while (extra < 8 && v >= (uint64_t{1} << (7 * (extra + 1)))) ++extra;
  const uint8_t ones = static_cast<uint8_t>(0xFF00 >> extra);
  const uint64_t high = extra == 8 ? 0 : v >> (8 * extra);
  s.push_back(static_cast<char>(ones | high));
  for (int i = 0; i < extra; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A signature header for a header of `header.size()` bytes at `offset` after it.
std::string SignatureHeader(uint64_t offset, const std::string& header) {
  std::string tail;
  Put32(tail, static_cast<uint32_t>(offset));
  Put32(tail, static_cast<uint32_t>(offset >> 32));
  Put32(tail, static_cast<uint32_t>(header.size()));
  Put32(tail, 0);
  Put32(tail, Crc32(header.data(), header.size()));
  std::string s("7z\xBC\xAF\x27\x1C\x00\x04", 8);
  Put32(s, Crc32(tail.data(), tail.size()));
  return s + tail;
}

// The plain header of plain-header.7z and everything before it (its member data).
struct Plain {
  std::string data, header;
};
Plain PlainFixture() {
  const std::string bytes = LoadFile(TestData("7z/plain-header.7z"));
  EXPECT_GT(bytes.size(), 32u);
  const uint32_t offset = base::Le32(reinterpret_cast<const unsigned char*>(bytes.data()) + 12);
  const uint32_t size = base::Le32(reinterpret_cast<const unsigned char*>(bytes.data()) + 20);
  return {bytes.substr(32, offset), bytes.substr(32 + offset, size)};
}

std::string WithPlainHeader(const Plain& p, const std::string& header) {
  return SignatureHeader(p.data.size(), header) + p.data + header;
}

// The header packed by liblzma through `filters` (encoder order), stored after the member
// data, and described by an encoded header whose folder chains `coders` to match.
std::string WithPackedHeader(const Plain& p, const lzma_filter* filters, const std::string& folder,
                             int outputs, uint64_t declared) {
  std::string packed(p.header.size() * 2 + 1024, '\0');
  size_t n = 0;
  EXPECT_EQ(lzma_raw_buffer_encode(
                filters, nullptr, reinterpret_cast<const uint8_t*>(p.header.data()),
                p.header.size(), reinterpret_cast<uint8_t*>(packed.data()), &n, packed.size()),
            LZMA_OK);
  packed.resize(n);
  std::string e("\x17\x06", 2);  // encoded header, pack info
  PutNumber(e, p.data.size());
  e += "\x01\x09";
  PutNumber(e, packed.size());
  e += std::string("\x00\x07\x0B\x01\x00", 5) + folder + "\x0C";
  for (int i = 0; i < outputs; ++i) PutNumber(e, declared);
  e += "\x0A\x01";
  Put32(e, Crc32(p.header.data(), p.header.size()));
  e += std::string("\x00\x00", 2);
  return SignatureHeader(p.data.size() + packed.size(), e) + p.data + packed + e;
}

std::string Lzma2Props(const lzma_filter& f) {
  uint8_t props = 0;
  EXPECT_EQ(lzma_properties_encode(&f, &props), LZMA_OK);
  return std::string(1, static_cast<char>(props));
}

// 7zz packs headers with LZMA alone. An LZMA2 header behind the x86 branch filter takes the
// chain through its bind pair: BCJ (coder 0) reads what LZMA2 (coder 1) unpacks.
TEST(SevenZipReader, PackedHeadersOfOtherChainsListTheSame) {
  const Plain p = PlainFixture();
  const auto plain = RunReader(ReadSevenZip, WithPlainHeader(p, p.header));
  ASSERT_EQ(plain.members.size(), 8u);
  lzma_options_lzma lz{};
  lzma_lzma_preset(&lz, 6);
  lz.dict_size = 1 << 16;
  lzma_filter lzma2[] = {{LZMA_FILTER_LZMA2, &lz}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_filter bcjLzma2[] = {
      {LZMA_FILTER_X86, nullptr}, {LZMA_FILTER_LZMA2, &lz}, {LZMA_VLI_UNKNOWN, nullptr}};
  const std::string props = Lzma2Props(lzma2[0]);
  const std::string lzma2Coder = "\x21\x21\x01" + props;
  const std::string bcjCoder("\x04\x03\x03\x01\x03", 5);
  const uint64_t size = p.header.size();
  const struct {
    const char* what;
    std::string archive;
    std::vector<std::string> warnings;
    size_t members;
  } cases[] = {
      {"LZMA2", WithPackedHeader(p, lzma2, "\x01" + lzma2Coder, 1, size), {}, 8},
      {"BCJ + LZMA2",
       WithPackedHeader(p, bcjLzma2, "\x02" + bcjCoder + lzma2Coder + std::string("\x00\x01", 2), 2,
                        size),
       {},
       8},
      // The folder claims more than the 64 MB any header may unpack to.
      {"declared 65 MB",
       WithPackedHeader(p, lzma2, "\x01" + lzma2Coder, 1, 65ull << 20),
       {kCorrupt},
       0},
      // It claims more than the packed bytes hold: the decoder runs dry.
      {"declared too large",
       WithPackedHeader(p, lzma2, "\x01" + lzma2Coder, 1, size + 100),
       {kCorrupt},
       0},
      {"unknown method",
       WithPackedHeader(p, lzma2, std::string("\x01\x03\x04\x01\x08", 5), 1, size),
       {": This 7z type not supported due to its rarity\n"},
       0},
  };
  for (const auto& c : cases) {
    const auto ctx = RunReader(ReadSevenZip, c.archive);
    EXPECT_EQ(ctx.warnings, c.warnings) << c.what;
    ASSERT_EQ(ctx.members.size(), c.members) << c.what;
    if (c.members) {
      EXPECT_EQ(Summary(ctx.members), Summary(plain.members)) << c.what;
    }
  }
}

// Damage and lies: every case ends with the members read before it and one warning, or with
// nothing said at all when the file is no 7z archive.
TEST(SevenZipReader, DamageEndsTheListingWithTheMembersBeforeIt) {
  const Plain p = PlainFixture();
  const std::string good = WithPlainHeader(p, p.header);
  // Files information of three empty-stream files with names for two of them only.
  std::string twoNames("\x01\x05\x03\x0E\x01\xE0\x11\x09\x00", 9);
  twoNames += std::string("a\0\0\0b\0\0\0", 8) + std::string("\x00\x00", 2);
  std::string hugeCount("\x01\x05\xFF", 3);  // 2^64 - 1 files in a few bytes
  hugeCount += std::string(8, '\xFF') + std::string("\x00\x00", 2);
  std::string badSignatureCrc = good;
  badSignatureCrc[8] ^= 1;
  // The header said to lie far past the end of the file.
  const std::string pastTheEnd = SignatureHeader(0x7F7F7F, p.header) + p.data + p.header;
  const struct {
    const char* what;
    std::string archive;
    size_t members;
    std::vector<std::string> warnings;
  } cases[] = {
      {"no signature", "7z\xBC\xAF\x27\x1D" + good.substr(6), 0, {}},
      {"short file", good.substr(0, 5), 0, {}},
      {"signature header cut", good.substr(0, 20), 0, {kCorrupt}},
      {"signature header CRC", badSignatureCrc, 0, {kCorrupt}},
      {"header cut off", good.substr(0, good.size() - 10), 0, {kCorrupt}},
      {"header past the end", pastTheEnd, 0, {kCorrupt}},
      {"names run out", WithPlainHeader(p, twoNames), 2, {kCorrupt}},
      {"huge file count", WithPlainHeader(p, hugeCount), 0, {kCorrupt}},
      {"header of another kind", WithPlainHeader(p, std::string("\x02\x00", 2)), 0, {kCorrupt}},
      {"empty archive", SignatureHeader(0, ""), 0, {}},
  };
  for (const auto& c : cases) {
    const auto ctx = RunReader(ReadSevenZip, c.archive);
    EXPECT_EQ(ctx.members.size(), c.members) << c.what;
    EXPECT_EQ(ctx.warnings, c.warnings) << c.what;
  }
  // Every cut of a real archive's header ends cleanly, whatever was listed before the cut.
  for (size_t cut = 32; cut < good.size(); cut += 7) {
    const auto ctx = RunReader(ReadSevenZip, good.substr(0, cut));
    EXPECT_EQ(ctx.warnings, std::vector<std::string>{kCorrupt}) << cut;
  }
}

// A name longer than the member-name buffer is cut after the last whole character that fits.
TEST(SevenZipReader, LongNamesAreCutAtACharacterBoundary) {
  const Plain p = PlainFixture();
  std::string name16;
  for (int i = 0; i < 200; ++i) name16 += "\xE9\x00";  // é, two bytes in UTF-8
  std::string header("\x01\x05\x01\x0E\x01\x80\x11", 7);
  PutNumber(header, 1 + name16.size() + 2);
  header += std::string(1, '\0') + name16 + std::string("\0\0\0\0", 4);
  const auto ctx = RunReader(ReadSevenZip, WithPlainHeader(p, header));
  ASSERT_EQ(ctx.members.size(), 1u);
  EXPECT_EQ(ctx.members[0].name.size(), 258u);  // 129 whole characters within 259 bytes
  EXPECT_TRUE(ctx.warnings.empty());
}

}  // namespace
}  // namespace quillow::test
