// Writing a file whole under a name of its own beside its target, and only then moving it
// onto the target, so the target is never half written and a failure leaves no trace. Every
// writer of the program names that file "<target>.~qzNNNN.tmp" (NNNN the first number free),
// so that what a killed run left is known for what it is and can be removed. A target leaf
// too long for that is cut so that the name stays within 255 bytes.
#pragma once

#include <string>
#include <string_view>

namespace quillow::platform {

inline constexpr unsigned kTempBesideTries = 1000;

// The name of try `attempt` (below kTempBesideTries) beside `target`.
std::string TempNameBeside(std::string_view target, unsigned attempt);

// Whether the file name `leaf` is a temporary name beside a target named `targetLeaf`;
// `foldCase` where the file system takes letters of either case as the same.
bool IsTempNameOf(std::string_view leaf, std::string_view targetLeaf, bool foldCase);

// Offers the temporary names beside `target` in turn until `take(name)` returns true (it
// made its file under that name, or gave up); false when every name was refused.
template <typename Take>
bool TakeTempNameBeside(std::string_view target, Take take) {
  for (unsigned attempt = 0; attempt < kTempBesideTries; ++attempt)
    if (take(TempNameBeside(target, attempt))) return true;
  return false;
}

}  // namespace quillow::platform
