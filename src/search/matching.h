// Splitting the two input texts and matching candidate names against the patterns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/ascii.h"

namespace quillow::search {

inline constexpr size_t kMaxEntries = 100;    // Look-in folders and patterns alike
inline constexpr size_t kMaxInputText = 255;  // characters of each input text
inline constexpr size_t kMaxPart = 255;       // characters of each name part

// Cuts a text into entries: space-separated, a double quote runs to the next double quote;
// at most `limit` (the search takes kMaxEntries).
std::vector<std::string> CutEntries(std::string_view text, size_t limit = kMaxEntries);

// Cuts an input text at kMaxInputText bytes, never inside a UTF-8 sequence.
std::string LimitInputText(std::string_view text);

// Folder part (up to and including the last separator, drive dropped), base part and
// extension part (from the last "."; empty when there is none) of a name.
struct NameParts {
  std::string_view folder, base, ext;
};
NameParts SplitName(std::string_view name);

// Position-by-position wildcard comparison of s with p from position j, without
// backtracking: "*" matches whatever follows, "?" one character or the end of s.
bool WildcardMatch(std::string_view s, std::string_view p, size_t j);

class PatternSet {
 public:
  explicit PatternSet(bool caseSensitive) : caseSensitive_(caseSensitive) {}
  // Adds one Find-files entry (already folded when matching ignores case). Returns false,
  // adding nothing, when its base part is empty.
  bool Add(std::string_view entry);
  size_t size() const { return patterns_.size(); }
  bool Matches(std::string_view candidate) const;

 private:
  struct Pattern {
    std::string folder, base, ext;
  };
  bool caseSensitive_;
  std::vector<Pattern> patterns_;
};

}  // namespace quillow::search
