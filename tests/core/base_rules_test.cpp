// The rules every layer shares: byte order, UTF-8 and code page 437, ASCII case, local DOS times.
#include <gtest/gtest.h>
#include <time.h>

#include <cstdlib>
#include <set>
#include <string>
#include <thread>

#include "base/ascii.h"
#include "base/little_endian.h"
#include "base/text.h"
#include "platform/fs.h"

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

#ifndef _WIN32
// The conversion keeps a quarter hour's UTC offset; near a change of offset, in zones whose
// changes fall on the half or quarter hour, and far from 1970 it must still give what the C
// library gives for each time on its own.
TEST(BaseRules, DosTimesFollowTheLocalClockAcrossOffsetChanges) {
  struct Zone {
    const char* tz;
    int64_t around;  // a second at which the zone's offset changes, if it has changes
  };
  const Zone zones[] = {
      {"UTC0", 1700000000},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 1711846800},      // 2024-03-31 01:00 UTC
      {"ACST-9:30ACDT,M10.1.0,M4.1.0/3", 1712421000},  // Adelaide, 2024-04-06 16:30 UTC
      {"<+0545>-5:45", 1234567890},
      {"AAA0BBB,M3.5.0/1:07,M10.5.0/3", 1711847220},  // a change inside a quarter hour
      {"EST5EDT,M3.2.0,M11.1.0", 4108690800},         // 2100-03-14: past the 32-bit clock
  };
  const std::string saved = getenv("TZ") ? getenv("TZ") : "";
  for (const Zone& z : zones) {
    setenv("TZ", z.tz, 1);
    tzset();
    // A fresh thread: nothing kept from another zone.
    std::thread([&z] {
      for (int64_t t = z.around - 1800; t < z.around + 1800; t += 7) {
        uint16_t date = 0, time = 0;
        platform::UnixTimeToDos(t, date, time);
        const time_t tt = static_cast<time_t>(t);
        struct tm want {};
        ASSERT_TRUE(localtime_r(&tt, &want));
        EXPECT_EQ(date, ((want.tm_year - 80) << 9) | ((want.tm_mon + 1) << 5) | want.tm_mday)
            << z.tz << " at " << t;
        EXPECT_EQ(time, (want.tm_hour << 11) | (want.tm_min << 5) | (want.tm_sec / 2))
            << z.tz << " at " << t;
      }
    }).join();
  }
  if (saved.empty())
    unsetenv("TZ");
  else
    setenv("TZ", saved.c_str(), 1);
  tzset();
}
#endif

}  // namespace
}  // namespace quillow
