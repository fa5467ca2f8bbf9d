#include "output/display_text.h"

#include <cstdint>

#include "base/ascii.h"
#include "base/text.h"
#include "output/column_width_table.h"

namespace quillow::output {

namespace {

bool IsPrintableAscii(std::string_view bytes) {
  bool plain = true;
  for (char c : bytes) plain &= static_cast<uint8_t>(c) - 0x20u < 0x5Fu;
  return plain;
}

}  // namespace

std::string DisplayName(std::string_view stored) {
  return base::IsValidUtf8(stored) ? std::string(stored) : base::Cp437ToUtf8(stored);
}

std::string EscapeControls(std::string_view text) {
  auto isControl = [](uint8_t b) { return b < 0x20 || b == 0x7F; };
  // In UTF-8 a C1 control is C2 80 to C2 9F; in any other text its byte stands alone.
  const bool utf8 = base::IsValidUtf8(text);
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
    out += base::kHexDigits[b >> 4];
    out += base::kHexDigits[b & 15];
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
    if (!decode || base::IsValidUtf8(text)) return text;
    scratch = DisplayName(text);
    return scratch;
  }
  if (IsPrintableAscii(text)) return text;
  scratch = EscapeControls(decode ? DisplayName(text) : std::string(text));
  return scratch;
}

std::string_view ShownFile(const search::ResultRow& row, Controls controls, std::string& scratch) {
  return ShownText(row.file, HasStoredName(row), controls, scratch);
}

std::string_view ShownContainer(const search::ResultRow& row, Controls controls,
                                std::string& scratch) {
  return ShownText(row.container, false, controls, scratch);
}

std::string ShownFile(const search::ResultRow& row) {
  std::string scratch;
  return std::string(ShownFile(row, Controls::kKeep, scratch));
}

size_t DisplayWidth(std::string_view utf8) {
  // Every ASCII byte is a character of its own.
  size_t count = base::AsciiPrefix(utf8);
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
  size_t columns = base::AsciiPrefix(utf8);
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

}  // namespace quillow::output
