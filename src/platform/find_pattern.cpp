// The portable rules of paths and folder entries: find patterns, joins, separators.
#include "base/ascii.h"
#include "platform/fs.h"

namespace quillow::platform {

bool MatchesFindPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  if (pattern.size() < 2 || pattern[0] != '*' || pattern[1] != '.') return name == pattern;
  const std::string_view ext = pattern.substr(2);
  // The last "." of the name starts its extension; a name with none has an empty one.
  const size_t dot = name.rfind('.');
  const std::string_view nameExt =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  return base::EqualsIgnoringAsciiCase(nameExt, ext);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  if (!folder.empty() && !IsSeparator(folder.back())) path += kSep;
  path += name;
  return path;
}

void ToNativeSeparators(std::string& path) {
  if constexpr (kSep != '/') {
    for (char& c : path)
      if (c == '/') c = kSep;
  }
}

}  // namespace quillow::platform
