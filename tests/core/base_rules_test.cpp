// The rules every layer shares: byte order, UTF-8 and code page 437, ASCII case.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/ascii.h"
#include "base/little_endian.h"
#include "base/text.h"

namespace quillow {
namespace {

TEST(BaseRules, LittleEndianFieldsReadAndWriteEveryByte) {
  // High bits set in every byte, so a sign extension or a lost shift shows.
  const unsigned char bytes[8] = {0x81, 0x92, 0xA3, 0xB4, 0xC5, 0xD6, 0xE7, 0xF8};
  EXPECT_EQ(base::Le16(bytes + 6), 0xF8E7u);
  EXPECT_EQ(base::Le32(bytes + 4), 0xF8E7D6C5u);
  EXPECT_EQ(base::Le64(bytes), 0xF8E7D6C5B4A39281u);

  std::string built;
  base::PutLe16(built, 0xF8E7);
  base::PutLe32(built, 0x04034B50);
  base::SetLe32(built.data() + 2, 0x81A3B4C5);
  EXPECT_EQ(built, std::string("\xE7\xF8\xC5\xB4\xA3\x81", 6));
}

TEST(BaseRules, Utf8EncoderMeetsTheValidityCheckAtEveryLengthBoundary) {
  struct Case {
    char32_t cp;
    std::string utf8;
  };
  const Case cases[] = {
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0xFFFD, "\xEF\xBF\xBD"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const Case& c : cases) {
    std::string out;
    base::AppendUtf8(out, c.cp);
    EXPECT_EQ(out, c.utf8) << std::hex << uint32_t{c.cp};
    EXPECT_EQ(base::Utf8Length(c.cp), c.utf8.size()) << std::hex << uint32_t{c.cp};
    EXPECT_TRUE(base::IsValidUtf8(out)) << std::hex << uint32_t{c.cp};
    // Cut short, it is not UTF-8 any more.
    if (out.size() > 1) {
      EXPECT_FALSE(base::IsValidUtf8(out.substr(0, out.size() - 1))) << std::hex << uint32_t{c.cp};
    }
  }
}

TEST(BaseRules, CodePage437GivesEachByteItsOwnCharacter) {
  std::set<std::string> seen;
  for (int b = 0; b < 256; ++b) {
    const std::string one = base::Cp437ToUtf8(std::string(1, static_cast<char>(b)));
    EXPECT_TRUE(base::IsValidUtf8(one)) << b;
    EXPECT_EQ(one.size() == 1, b < 0x80) << b;
    seen.insert(one);
  }
  EXPECT_EQ(seen.size(), 256u);
}

TEST(BaseRules, AsciiCaseTouchesLettersOnly) {
  const std::string all = "@AZ[`az{\xC3\xA9";
  std::string lower = all, upper = all;
  base::FoldAscii(lower);
  base::UpperAscii(upper);
  EXPECT_EQ(lower, "@az[`az{\xC3\xA9");
  EXPECT_EQ(upper, "@AZ[`AZ{\xC3\xA9");
  EXPECT_TRUE(base::IsAsciiLetter('a') && base::IsAsciiLetter('Z'));
  EXPECT_FALSE(base::IsAsciiLetter('@') || base::IsAsciiLetter('[') || base::IsAsciiLetter('`') ||
               base::IsAsciiLetter('{'));
}

}  // namespace
}  // namespace quillow
