#include "output/display_text.h"

#include <gtest/gtest.h>

namespace quillow {
namespace {

struct DecodeCase {
  const char* what;
  std::string stored;
  std::string shown;
};

TEST(DisplayText, ValidUtf8StaysAndAnythingElseIsCodePage437) {
  const DecodeCase cases[] = {
      {"ascii", "README.TXT", "README.TXT"},
      {"utf-8 two-byte", "caf\xC3\xA9.txt", "caf\xC3\xA9.txt"},
      {"utf-8 four-byte", "\xF0\x9F\x98\x80.png", "\xF0\x9F\x98\x80.png"},
      {"cp437 accents", "r\x82sum\x82.doc", "r\xC3\xA9sum\xC3\xA9.doc"},
      {"cp437 box drawing", "\xC9\xCD\xBB", "\xE2\x95\x94\xE2\x95\x90\xE2\x95\x97"},
      {"cp437 0xFF is no-break space", "a\xFF", "a\xC2\xA0"},
      {"cp437 0x80", "\x80", "\xC3\x87"},
      {"control bytes kept in a cp437 name", "\x01\x7F\x9A", "\x01\x7F\xC3\x9C"},
      {"overlong form", "\xC0\xAF", "\xE2\x94\x94\xC2\xBB"},
      {"surrogate", "\xED\xA0\x80", "\xCF\x86\xC3\xA1\xC3\x87"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", "\xE2\x8C\xA0\xC3\x89\xC3\x87\xC3\x87"},
      {"cut-off sequence", "ab\xC3", "ab\xE2\x94\x9C"},
      // Past the first eight bytes, where long ASCII runs are checked a word at a time.
      {"cp437 after a long ascii run", "abcdefghijklmnop\x82.doc", "abcdefghijklmnop\xC3\xA9.doc"},
      {"utf-8 after eight ascii", "abcdefgh\xC3\xA9", "abcdefgh\xC3\xA9"},
      {"cut off after sixteen ascii", "0123456789abcdef\xC3", "0123456789abcdef\xE2\x94\x9C"},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(output::DisplayName(c.stored), c.shown) << c.what;
}

TEST(DisplayText, WidthCountsCharactersNotBytes) {
  EXPECT_EQ(output::DisplayWidth(""), 0u);
  EXPECT_EQ(output::DisplayWidth("caf\xC3\xA9"), 4u);
  EXPECT_EQ(output::DisplayWidth(output::DisplayName("\xC9\xCD\xBB")), 3u);
  EXPECT_EQ(output::DisplayWidth("\xF0\x9F\x98\x80"), 1u);
  EXPECT_EQ(output::DisplayWidth("abcdefghij\xC3\xA9klmnopq"), 18u);
}

TEST(DisplayText, ColumnWidthCountsWideTwiceAndMarksNotAtAll) {
  const struct {
    const char* text;
    size_t columns;
  } kCases[] = {
      {"", 0},
      {"plain.txt", 9},
      {"caf\xC3\xA9", 4},                   // precomposed e-acute
      {"cafe\xCC\x81", 4},                  // e and a combining acute
      {"\xE6\x97\xA5\xE6\x9C\xAC.txt", 8},  // two CJK ideographs
      {"\xEF\xBC\xA1\xEF\xBC\xA2", 4},      // fullwidth A and B
      {"\xEF\xBD\xB1", 1},                  // halfwidth katakana
      {"\xED\x95\x9C\xEA\xB8\x80", 4},      // two Hangul syllables
      {"\xF0\xA0\x80\x8B", 2},              // an ideograph beyond the BMP
      {"\xF0\x9F\x98\x80", 2},              // an emoji shown wide
      {"a\xE2\x80\x8D"
       "b",
       2},                  // a zero-width joiner
      {"\xC9\xC9\xC9", 3},  // bytes that are no UTF-8
      {"\xE6\x97", 2},      // a sequence cut off
  };
  for (const auto& c : kCases) EXPECT_EQ(output::ColumnWidth(c.text), c.columns) << c.text;
}

TEST(DisplayText, ShownTextChangesOnlyWhatItMust) {
  const struct {
    std::string text;
    bool decode;
    output::Controls controls;
    std::string shown;
  } cases[] = {
      {"plain name.txt", true, output::Controls::kEscape, "plain name.txt"},
      {"r\x82sum\x82", true, output::Controls::kKeep, "r\xC3\xA9sum\xC3\xA9"},
      {"r\x82sum\x82", false, output::Controls::kKeep, "r\x82sum\x82"},  // a file system's bytes
      {"a\tb~", true, output::Controls::kKeep, "a\tb~"},
      {"a\tb~", false, output::Controls::kEscape, "a\\tb~"},
      {"abcdefgh\x7F", false, output::Controls::kEscape, "abcdefgh\\x7F"},
      {"r\x82\x1B", true, output::Controls::kEscape, "r\xC3\xA9\\x1B"},
  };
  for (const auto& c : cases) {
    std::string scratch;
    const std::string_view shown = output::ShownText(c.text, c.decode, c.controls, scratch);
    EXPECT_EQ(shown, c.shown) << c.text;
    // Unchanged text is the row's own, not a copy.
    EXPECT_EQ(shown.data() == c.text.data(), c.shown == c.text) << c.text;
  }
}

}  // namespace
}  // namespace quillow
