#include "zip/core/names.h"

#include <cstdint>

#include "base/ascii.h"
#include "platform/code_page.h"

namespace quillow::zip {

namespace {

char Fold(char c) {
  if (c == '\\') return '/';
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  return c;
}

// Length of the UTF-8 sequence that starts at `s[i]`, so '?' takes a whole character.
size_t CharLength(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (i + n > s.size()) n = 1;
  return n;
}

// The 128 upper characters of code page 437.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves undefined keep their C1 values,
// as Windows itself converts them. From 0xA0 on it is Latin-1, the same as Unicode.
constexpr char16_t kWin1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

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

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n;
    char32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      n = 2;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 3;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

std::string Cp437ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    AppendUtf8(out, c < 0x80 ? c : kCp437High[c - 0x80]);
  }
  return out;
}

std::string CallerTextToUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  if (auto ansi = platform::AnsiToUtf8(bytes)) return *std::move(ansi);
  // No system code page (POSIX): Windows-1252, the one such callers most likely used.
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    AppendUtf8(out, c >= 0x80 && c < 0xA0 ? kWin1252High[c - 0x80] : c);
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
      shown += kHexDigits[u >> 4];
      shown += kHexDigits[u & 0xF];
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
