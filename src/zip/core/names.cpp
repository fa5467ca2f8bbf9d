#include "zip/core/names.h"

#include <cstdint>

#include "base/ascii.h"
#include "base/text.h"
#include "platform/code_page.h"

namespace quillow::zip {

namespace {

char Fold(char c) {
  if (c == '\\') return '/';
  return base::UpperAscii(c);
}

// Length of the UTF-8 sequence that starts at `s[i]`, so '?' takes a whole character.
size_t CharLength(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (i + n > s.size()) n = 1;
  return n;
}

// What is left of a specification once the name is used up: "." and then only '*'s, the
// tail that Windows lets match the end of a name.
bool DotStarTail(std::string_view rest) {
  return rest.size() >= 2 && rest[0] == '.' && rest.find_first_not_of('*', 1) == rest.npos;
}

}  // namespace

bool MatchSpec(std::string_view spec, std::string_view name) {
  // Greedy match with one backtrack point: the last '*' seen.
  size_t s = 0, n = 0, starSpec = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (s < spec.size() && spec[s] == '*') {
      starSpec = ++s;
      starName = n;
    } else if (s < spec.size() && spec[s] == '?') {
      ++s;
      n += CharLength(name, n);
    } else if (s < spec.size() && Fold(spec[s]) == Fold(name[n])) {
      ++s;
      ++n;
    } else if (starSpec != std::string_view::npos) {
      s = starSpec;
      starName += CharLength(name, starName);
      n = starName;
    } else {
      return false;
    }
  }
  if (DotStarTail(spec.substr(s))) return true;
  while (s < spec.size() && spec[s] == '*') ++s;
  return s == spec.size();
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

std::string CallerTextToUtf8(std::string_view bytes) {
  if (base::IsValidUtf8(bytes)) return std::string(bytes);
  if (auto ansi = platform::AnsiToUtf8(bytes)) return *std::move(ansi);
  // No system code page (POSIX): Windows-1252, the one such callers most likely used.
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    // The bytes the code page leaves undefined keep their C1 values, as Windows converts them.
    const char32_t cp = base::Win1252ToUnicode(c);
    base::AppendUtf8(out, cp ? cp : c);
  }
  return out;
}

std::string MessageName(std::string_view name, size_t limit) {
  std::string shown;
  shown.reserve(name.size());
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      shown += c;
    } else if (c == '\t' || c == '\n' || c == '\r') {
      shown += c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\r";
    } else {
      shown += "\\x";
      shown += base::kHexDigits[u >> 4];
      shown += base::kHexDigits[u & 0xF];
    }
  }
  constexpr std::string_view kCut = "...";
  if (shown.size() <= limit || limit < kCut.size() + 2) return shown;
  // A quarter from the front and the rest from the end: the end of a path says the most.
  size_t head = (limit - kCut.size()) / 4, tail = shown.size() - (limit - kCut.size() - head);
  while (head > 0 && (static_cast<unsigned char>(shown[head]) & 0xC0) == 0x80) --head;
  while (tail < shown.size() && (static_cast<unsigned char>(shown[tail]) & 0xC0) == 0x80) ++tail;
  return shown.substr(0, head) + std::string(kCut) + shown.substr(tail);
}

std::string DosComponent(std::string_view name) {
  const size_t dot = name.find_last_of('.');
  const std::string_view base = name.substr(0, dot == 0 ? name.size() : dot);
  const std::string_view ext =
      dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot + 1);
  auto clean = [](std::string_view part, size_t limit) {
    std::string s;
    for (char c : part) {
      if (s.size() == limit) break;
      if (c == '.' || c == ' ') continue;
      const auto u = static_cast<unsigned char>(c);
      if (u >= 0x80 || u < 0x20 ||
          std::string_view("\"*+,/:;<=>?[\\]|").find(c) != std::string_view::npos)
        c = '_';
      s += Fold(c);
    }
    return s;
  };
  std::string out = clean(base, 8);
  if (out.empty()) out = "_";
  const std::string e = clean(ext, 3);
  if (!e.empty()) out += "." + e;
  return out;
}

}  // namespace quillow::zip
