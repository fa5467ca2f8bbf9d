// Cutting the input texts and matching names against patterns.
#include "search/matching.h"

#include <gtest/gtest.h>

namespace quillow {
namespace {

// A pattern set built as the search builds it: folded first unless case counts.
search::PatternSet Patterns(std::string text, bool caseSensitive = false) {
  if (!caseSensitive) base::FoldAscii(text);
  search::PatternSet set(caseSensitive);
  for (const std::string& e : search::CutEntries(text)) EXPECT_TRUE(set.Add(e)) << e;
  return set;
}

struct MatchCase {
  const char* patterns;
  const char* name;
  bool caseSensitive;
  bool hit;
};

TEST(Matching, PatternSemantics) {
  const MatchCase cases[] = {
      {"*.txt", "a.txt", false, true},
      {"*.txt", "B.TXT", false, true},
      {"*.txt", "B.TXT", true, false},
      {"*.txt", "a.txt", true, true},
      // "*" alone has the extension "." and so only finds names without one.
      {"*", "README", false, true},
      {"*", "a.txt", false, false},
      {"*.*", "a.txt", false, true},
      {"*.*", "README", false, true},
      {"*.*", ".profile", false, false},  // no base part: never a hit
      {"readme", "README", false, true},
      {"readme", "readme.txt", false, false},
      // No backtracking: what follows a "*" never matters.
      {"a*z.doc", "abc.doc", false, true},
      {"ab?", "ab", false, true},
      {"ab?", "abc", false, true},
      {"ab?", "abcd", false, false},
      {"*.t?", "x.t", false, true},
      {"*.t?", "x.tx", false, true},
      {"*.t?", "x.txt", false, false},
      // The folder part must occur somewhere in the candidate's folder part.
      {"docs\\*.txt", "project/docs/a.txt", false, true},
      {"docs/*.txt", "project\\docs\\a.txt", false, true},
      {"docs\\*.txt", "a.txt", false, false},
      {"DOCS\\*.txt", "Project/Docs/A.TXT", false, true},
      {"C:docs\\*.txt", "x/docs/a.txt", false, true},  // the drive is dropped
      // The last "." starts the extension.
      {"a.b", "a.b.c", false, false},
      {"a.b.*", "a.b.c", false, true},
      // Several patterns: any one suffices.
      {"*.txt *.doc", "x.doc", false, true},
      {"*.txt *.doc", "x.pdf", false, false},
      {"\"my file.txt\"", "my file.txt", false, true},
      {"x.txt   ", "x.txt", false, true},
  };
  for (const MatchCase& c : cases) {
    search::PatternSet set = Patterns(c.patterns, c.caseSensitive);
    EXPECT_EQ(set.Matches(c.name), c.hit) << '"' << c.patterns << "\" vs \"" << c.name << '"';
  }
}

TEST(Matching, CandidatesWithoutABasePartAreNeverHits) {
  search::PatternSet set = Patterns("*.* * ?");
  for (const char* name : {".", "..", ".cache", "folder/", "a/b\\", ""})
    EXPECT_FALSE(set.Matches(name)) << name;
}

TEST(Matching, EntriesWithoutABasePartAreRefused) {
  for (const char* entry : {".txt", ".", "..", "docs\\", "C:"}) {
    search::PatternSet set(false);
    EXPECT_FALSE(set.Add(entry)) << entry;
  }
}

TEST(Matching, CuttingTexts) {
  using V = std::vector<std::string>;
  EXPECT_EQ(search::CutEntries("*.txt *.doc"), (V{"*.txt", "*.doc"}));
  EXPECT_EQ(search::CutEntries("  a   b  "), (V{"a", "b"}));
  EXPECT_EQ(search::CutEntries("\"C:\\Program Files\" D:\\"), (V{"C:\\Program Files", "D:\\"}));
  EXPECT_EQ(search::CutEntries("\"\" x"), (V{"", "x"}));  // an empty pair of quotes is an entry
  EXPECT_EQ(search::CutEntries("\"open quote runs to the end"), (V{"open quote runs to the end"}));
  EXPECT_EQ(search::CutEntries("a\"b c"),
            (V{"a\"b", "c"}));  // quotes count only at an entry's start
  EXPECT_TRUE(search::CutEntries("    ").empty());

  std::string many;
  for (int i = 0; i < 150; ++i) many += "p" + std::to_string(i) + " ";
  const V cut = search::CutEntries(many);
  ASSERT_EQ(cut.size(), 100u);
  EXPECT_EQ(cut.back(), "p99");
}

TEST(Matching, InputTextsAreCutAt255Characters) {
  EXPECT_EQ(search::LimitInputText(std::string(300, 'a')).size(), 255u);
  EXPECT_EQ(search::LimitInputText("short"), "short");
  // Never inside a character: "é" is two bytes and would straddle the limit.
  std::string text(254, 'a');
  text += "\xC3\xA9tail";
  EXPECT_EQ(search::LimitInputText(text), std::string(254, 'a'));
}

TEST(Matching, LongNamePartsAreComparedOnTheir255FirstCharacters) {
  search::PatternSet set = Patterns(std::string(255, 'a') + "*.txt");
  EXPECT_TRUE(set.Matches(std::string(400, 'a') + ".txt"));
  search::PatternSet exact = Patterns(std::string(255, 'a') + ".txt");
  EXPECT_TRUE(exact.Matches(std::string(300, 'a') + ".txt"));
}

TEST(Matching, WildcardComparisonFromAStartPosition) {
  // The extension comparison starts at 1 so the two leading dots are not compared.
  EXPECT_TRUE(search::WildcardMatch(".txt", ".t*", 1));
  EXPECT_TRUE(search::WildcardMatch(".", ".", 1));
  EXPECT_TRUE(search::WildcardMatch(".", ".*", 1));
  EXPECT_TRUE(search::WildcardMatch(".", ".??", 1));
  EXPECT_FALSE(search::WildcardMatch(".", ".t", 1));
  EXPECT_FALSE(search::WildcardMatch(".txt", ".", 1));
}

}  // namespace
}  // namespace quillow
