// ASCII rules every layer shares. Letter case is folded for A to Z only, as the program has
// always compared names; bytes above 0x7F are never touched.
#pragma once

#include <string>
#include <string_view>

namespace quillow::base {

constexpr char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
// The other direction, for the names DOS and the ZIP component keep in capitals.
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

constexpr bool IsAsciiLetter(char c) { return FoldAscii(c) >= 'a' && FoldAscii(c) <= 'z'; }

inline void FoldAscii(std::string& s) {
  for (char& c : s) c = FoldAscii(c);
}
inline void UpperAscii(std::string& s) {
  for (char& c : s) c = UpperAscii(c);
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

constexpr bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

// Upper-case hex digits, for percent-encoding, colours and escapes alike.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace quillow::base
