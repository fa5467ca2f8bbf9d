// Text rules every layer shares: UTF-8 as the one text form, and code page 437, the form
// DOS archivers stored names in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillow::base {

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF, no cut-off sequence).
bool IsValidUtf8(std::string_view bytes);

// Length of the leading run of ASCII bytes (checked eight at a time: names are nearly
// always ASCII).
size_t AsciiPrefix(std::string_view bytes);

// Bytes the UTF-8 form of `cp` takes (1 to 4).
constexpr size_t Utf8Length(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// Appends the UTF-8 form of `cp`, which must be a Unicode scalar value.
void AppendUtf8(std::string& out, char32_t cp);

// Code page 437 bytes as UTF-8. Bytes below 0x80 stay as they are, the control bytes
// included: a name is a name, not a screen of DOS glyphs.
std::string Cp437ToUtf8(std::string_view bytes);

// The character of a Windows-1252 byte, or 0 for the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D): each caller decides what those become.
char32_t Win1252ToUnicode(unsigned char c);

}  // namespace quillow::base
