// The separator of path parts in names the program reads: '/' and '\' alike, since archivers
// on either system wrote both and Windows takes either. (The system's own separator, for
// paths the program builds, is platform::kSep.)
#pragma once

#include <string_view>

namespace quillow::base {

constexpr bool IsSlash(char c) { return c == '/' || c == '\\'; }

// A name that ends in a separator names a folder.
constexpr bool EndsWithSlash(std::string_view name) {
  return !name.empty() && IsSlash(name.back());
}

}  // namespace quillow::base
