// How the layouts fill their output: sized once for the whole list, and escaped run by run
// (the plain bytes between the ones to escape are copied whole, so that a name with nothing
// to escape costs one copy).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "search/types.h"

namespace quillow::output {

using ByteSet = std::array<bool, 256>;

// The set of `bytes`, plus every byte below `below`.
constexpr ByteSet MakeByteSet(std::string_view bytes, unsigned below = 0) {
  ByteSet set{};
  for (unsigned b = 0; b < below; ++b) set[b] = true;
  for (char c : bytes) set[static_cast<unsigned char>(c)] = true;
  return set;
}

// Appends `text` to `out` with each byte of `special` replaced by what `escape(byte, out)`
// appends for it.
template <typename Escape>
void AppendEscaped(std::string_view text, const ByteSet& special, std::string& out, Escape escape) {
  const char* p = text.data();
  const char* const end = p + text.size();
  // As a number, so that eight of them are or-ed without a branch each.
  auto is = [&special](const char* at, int i) -> unsigned {
    return special[static_cast<unsigned char>(at[i])];
  };
  while (p != end) {
    const char* run = p;
    // Eight bytes to a branch while none of them is special, which is nearly always.
    while (end - p >= 8 &&
           !(is(p, 0) | is(p, 1) | is(p, 2) | is(p, 3) | is(p, 4) | is(p, 5) | is(p, 6) | is(p, 7)))
      p += 8;
    while (p != end && !special[static_cast<unsigned char>(*p)]) ++p;
    out.append(run, static_cast<size_t>(p - run));
    if (p == end) break;
    escape(static_cast<unsigned char>(*p++), out);
  }
}

// Bytes of all six texts of the rows, for reserving the output once instead of growing it
// step by step through hundreds of megabytes.
inline size_t TextBytes(const std::vector<search::ResultRow>& rows) {
  size_t bytes = 0;
  for (const search::ResultRow& r : rows)
    bytes += r.file.size() + r.container.size() + r.modified.size() + r.size.size() +
             r.ratio.size() + r.packed.size();
  return bytes;
}

}  // namespace quillow::output
