#include "platform/temp_beside.h"

#include "base/ascii.h"

namespace quillow::platform {

namespace {

constexpr std::string_view kMark = ".~qz", kEnd = ".tmp";
constexpr size_t kDigits = 4;

}  // namespace

std::string TempNameBeside(std::string_view target, unsigned attempt) {
  std::string name(target);
  name += kMark;
  const std::string number = std::to_string(attempt % kTempBesideTries);
  name.append(kDigits - number.size(), '0');
  name += number;
  name += kEnd;
  return name;
}

bool IsTempNameOf(std::string_view leaf, std::string_view targetLeaf, bool foldCase) {
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
