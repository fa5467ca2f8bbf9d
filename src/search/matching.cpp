#include "search/matching.h"

#include <algorithm>
#include <cstring>

#include "base/separators.h"

namespace quillow::search {

namespace {

// Copies a name part into a fixed buffer, cut at kMaxPart, optionally folded, slashes
// optionally turned into backslashes. Returns the copied length.
size_t CopyPart(std::string_view part, char* out, bool fold, bool backslashes) {
  const size_t n = std::min(part.size(), kMaxPart);
  for (size_t i = 0; i < n; ++i) {
    char c = part[i];
    if (fold) c = base::FoldAscii(c);
    if (backslashes && c == '/') c = '\\';
    out[i] = c;
  }
  return n;
}

}  // namespace

std::vector<std::string> CutEntries(std::string_view text, size_t limit) {
  std::vector<std::string> entries;
  size_t i = 0;
  while (i < text.size() && entries.size() < limit) {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i >= text.size()) break;
    if (text[i] == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) close = text.size();
      entries.emplace_back(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      size_t end = text.find(' ', i);
      if (end == std::string_view::npos) end = text.size();
      entries.emplace_back(text.substr(i, end - i));
      i = end;
    }
  }
  return entries;
}

std::string LimitInputText(std::string_view text) {
  if (text.size() <= kMaxInputText) return std::string(text);
  size_t n = kMaxInputText;
  // Back off over continuation bytes so a character is never split.
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return std::string(text.substr(0, n));
}

NameParts SplitName(std::string_view name) {
  NameParts parts;
  if (name.size() >= 2 && name[1] == ':' && base::IsAsciiLetter(name[0])) name.remove_prefix(2);
  size_t sep = std::string_view::npos;
  for (size_t i = name.size(); i > 0; --i)
    if (base::IsSlash(name[i - 1])) {
      sep = i - 1;
      break;
    }
  if (sep != std::string_view::npos) {
    parts.folder = name.substr(0, sep + 1);
    name.remove_prefix(sep + 1);
  }
  // "." and ".." name folders: no base part.
  if (name == "." || name == "..") {
    parts.ext = name;
    return parts;
  }
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) {
    parts.base = name;
  } else {
    parts.base = name.substr(0, dot);
    parts.ext = name.substr(dot);
  }
  return parts;
}

bool WildcardMatch(std::string_view s, std::string_view p, size_t j) {
  for (;; ++j) {
    if (j >= s.size()) {
      for (size_t k = j; k < p.size(); ++k)
        if (p[k] != '*' && p[k] != '?') return false;
      return true;
    }
    if (j >= p.size()) return false;
    if (p[j] == '*') return true;
    if (p[j] != '?' && p[j] != s[j]) return false;
  }
}

bool PatternSet::Add(std::string_view entry) {
  NameParts parts = SplitName(entry);
  if (parts.base.empty()) return false;
  char buf[kMaxPart];
  Pattern p;
  // The entry arrives folded already when case is ignored; only the separators change.
  p.folder.assign(buf, CopyPart(parts.folder, buf, false, true));
  p.base.assign(buf, CopyPart(parts.base, buf, false, false));
  p.ext.assign(buf, CopyPart(parts.ext, buf, false, false));
  if (p.ext.empty()) p.ext = ".";
  patterns_.push_back(std::move(p));
  return true;
}

bool PatternSet::Matches(std::string_view candidate) const {
  const NameParts parts = SplitName(candidate);
  if (parts.base.empty()) return false;
  const bool fold = !caseSensitive_;
  char folder[kMaxPart], base[kMaxPart], ext[kMaxPart];
  const std::string_view f(folder, CopyPart(parts.folder, folder, fold, true));
  const std::string_view b(base, CopyPart(parts.base, base, fold, false));
  size_t extLen = CopyPart(parts.ext, ext, fold, false);
  if (extLen == 0) ext[extLen++] = '.';
  const std::string_view e(ext, extLen);
  for (const Pattern& p : patterns_) {
    if (!p.folder.empty() && f.find(p.folder) == std::string_view::npos) continue;
    if (!WildcardMatch(b, p.base, 0)) continue;
    if (!WildcardMatch(e, p.ext, 1)) continue;
    return true;
  }
  return false;
}

}  // namespace quillow::search
