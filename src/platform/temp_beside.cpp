#include "platform/temp_beside.h"

#include <cstdint>

#include "base/ascii.h"
#include "platform/fs.h"

namespace quillow::platform {

namespace {

constexpr std::string_view kMark = ".~qz", kEnd = ".tmp";
constexpr size_t kDigits = 4;
// The longest leaf file systems take: 255 bytes, or on Windows 255 UTF-16 units, which are
// never more than the bytes.
constexpr size_t kMaxLeaf = 255;

// The part of a target's leaf its temporary name starts with: the whole leaf, or for a long
// one as much as leaves room for the mark, the number and the end, cut between characters.
std::string_view Stem(std::string_view leaf) {
  constexpr size_t room = kMaxLeaf - kMark.size() - kDigits - kEnd.size();
  if (leaf.size() <= room) return leaf;
  size_t n = room;
  while (n > 0 && (static_cast<uint8_t>(leaf[n]) & 0xC0) == 0x80) --n;
  return leaf.substr(0, n);
}

}  // namespace

std::string TempNameBeside(std::string_view target, unsigned attempt) {
  size_t leafAt = target.size();
  while (leafAt > 0 && !IsSeparator(target[leafAt - 1])) --leafAt;
  std::string name(target.substr(0, leafAt));
  name += Stem(target.substr(leafAt));
  name += kMark;
  const std::string number = std::to_string(attempt % kTempBesideTries);
  name.append(kDigits - number.size(), '0');
  name += number;
  name += kEnd;
  return name;
}

bool IsTempNameOf(std::string_view leaf, std::string_view targetLeaf, bool foldCase) {
  targetLeaf = Stem(targetLeaf);
  const size_t fixed = targetLeaf.size() + kMark.size();
  if (leaf.size() != fixed + kDigits + kEnd.size()) return false;
  const std::string_view stem = leaf.substr(0, targetLeaf.size());
  if (foldCase ? !base::EqualsIgnoringAsciiCase(stem, targetLeaf) : stem != targetLeaf)
    return false;
  const std::string_view digits = leaf.substr(fixed, kDigits);
  return leaf.substr(targetLeaf.size(), kMark.size()) == kMark &&
         digits.find_first_not_of("0123456789") == digits.npos &&
         base::EqualsIgnoringAsciiCase(leaf.substr(fixed + kDigits), kEnd);
}

}  // namespace quillow::platform
