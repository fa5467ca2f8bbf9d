#include "output/display_text.h"

#include <cstdint>
#include <cstring>

#include "base/ascii.h"
#include "output/column_width_table.h"

namespace quillow {

namespace {

// Code page 437, bytes 0x80 to 0xFF. Bytes below 0x80 are ASCII and stay as they are, the
// control bytes included: a name is a name, not a screen of DOS glyphs.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8
};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    // The table holds nothing above the Basic Multilingual Plane.
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Length of the leading run of ASCII bytes, eight at a time: names are nearly always ASCII,
// and every saved cell is checked.
size_t AsciiPrefix(std::string_view bytes) {
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    if (word & 0x8080808080808080u) break;
  }
  while (i < bytes.size() && static_cast<uint8_t>(bytes[i]) < 0x80) ++i;
  return i;
}

bool IsPrintableAscii(std::string_view bytes) {
  bool plain = true;
  for (char c : bytes) plain &= static_cast<uint8_t>(c) - 0x20u < 0x5Fu;
  return plain;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const size_t n = bytes.size();
  size_t i = AsciiPrefix(bytes);
  while (i < n) {
    const auto b0 = static_cast<uint8_t>(bytes[i]);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    // Bounds of the second byte rule out overlong forms, surrogates and values past U+10FFFF.
    uint8_t lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3;
      if (b0 == 0xE0) lo = 0xA0;
      if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4;
      if (b0 == 0xF0) lo = 0x90;
      if (b0 == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (n - i < len) return false;
    const auto b1 = static_cast<uint8_t>(bytes[i + 1]);
    if (b1 < lo || b1 > hi) return false;
    for (size_t k = 2; k < len; ++k) {
      const auto b = static_cast<uint8_t>(bytes[i + k]);
      if (b < 0x80 || b > 0xBF) return false;
    }
    i += len;
  }
  return true;
}

std::string DisplayName(std::string_view stored) {
  if (IsValidUtf8(stored)) return std::string(stored);
  std::string out;
  out.reserve(stored.size() * 2);
  for (char c : stored) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 0x80)
      out += c;
    else
      AppendUtf8(out, kCp437High[b - 0x80]);
  }
  return out;
}

std::string EscapeControls(std::string_view text) {
  auto isControl = [](uint8_t b) { return b < 0x20 || b == 0x7F; };
  // In UTF-8 a C1 control is C2 80 to C2 9F; in any other text its byte stands alone.
  const bool utf8 = IsValidUtf8(text);
  bool plain = true;
  for (size_t i = 0; i < text.size() && plain; ++i) {
    const auto b = static_cast<uint8_t>(text[i]);
    plain = !isControl(b) && (utf8 ? !(b == 0xC2 && static_cast<uint8_t>(text[i + 1]) < 0xA0)
                                   : (b < 0x80 || b > 0x9F));
  }
  if (plain) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  auto hex = [&out](const char* prefix, uint8_t b) {
    out += prefix;
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 15];
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<uint8_t>(text[i]);
    if (b == '\t') {
      out += "\\t";
    } else if (b == '\n') {
      out += "\\n";
    } else if (b == '\r') {
      out += "\\r";
    } else if (isControl(b)) {
      hex("\\x", b);
    } else if (utf8 && b == 0xC2 && static_cast<uint8_t>(text[i + 1]) < 0xA0) {
      hex("\\u00", static_cast<uint8_t>(text[++i]));
    } else if (!utf8 && b >= 0x80 && b <= 0x9F) {
      hex("\\x", b);
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

std::string_view ShownText(std::string_view text, bool decode, Controls controls,
                           std::string& scratch) {
  if (controls == Controls::kKeep) {
    if (!decode || IsValidUtf8(text)) return text;
    scratch = DisplayName(text);
    return scratch;
  }
  if (IsPrintableAscii(text)) return text;
  scratch = EscapeControls(decode ? DisplayName(text) : std::string(text));
  return scratch;
}

std::string_view ShownFile(const ResultRow& row, Controls controls, std::string& scratch) {
  return ShownText(row.file, HasStoredName(row), controls, scratch);
}

std::string_view ShownContainer(const ResultRow& row, Controls controls, std::string& scratch) {
  return ShownText(row.container, false, controls, scratch);
}

std::string ShownFile(const ResultRow& row) {
  std::string scratch;
  return std::string(ShownFile(row, Controls::kKeep, scratch));
}

size_t DisplayWidth(std::string_view utf8) {
  // Every ASCII byte is a character of its own.
  size_t count = AsciiPrefix(utf8);
  for (char c : utf8.substr(count))
    if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++count;
  return count;
}

namespace {

template <size_t N>
bool InRanges(const CodeRange (&ranges)[N], char32_t cp) {
  size_t lo = 0, hi = N;
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    if (cp > ranges[mid].last)
      lo = mid + 1;
    else if (cp < ranges[mid].first)
      hi = mid;
    else
      return true;
  }
  return false;
}

}  // namespace

size_t ColumnWidth(std::string_view utf8) {
  size_t columns = AsciiPrefix(utf8);
  for (size_t i = columns; i < utf8.size();) {
    const auto b0 = static_cast<uint8_t>(utf8[i]);
    size_t n = b0 < 0x80 ? 1 : b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 1;
    if (i + n > utf8.size()) n = 1;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<uint8_t>(utf8[i + k]) & 0xC0) != 0x80) n = 1;
    if (n == 1) {
      // ASCII, or a byte that starts no sequence: one column, as it would be shown.
      ++columns;
      ++i;
      continue;
    }
    char32_t cp = b0 & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
    i += n;
    if (InRanges(kZeroWidthRanges, cp)) continue;
    columns += InRanges(kWideRanges, cp) ? 2 : 1;
  }
  return columns;
}

}  // namespace quillow
