#include "platform/fs.h"

namespace quillow::platform {

namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
}  // namespace

bool MatchesFindPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  if (pattern.size() < 2 || pattern[0] != '*' || pattern[1] != '.') return name == pattern;
  const std::string_view ext = pattern.substr(2);
  // The last "." of the name starts its extension; a name with none has an empty one.
  const size_t dot = name.rfind('.');
  const std::string_view nameExt = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (nameExt.size() != ext.size()) return false;
  for (size_t i = 0; i < ext.size(); ++i)
    if (FoldAscii(nameExt[i]) != FoldAscii(ext[i])) return false;
  return true;
}

}  // namespace quillow::platform
