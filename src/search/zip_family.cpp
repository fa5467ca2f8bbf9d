#include "search/zip_family.h"

#include <cstdint>

#include "base/ascii.h"

namespace quillow::search {

namespace {

// An extension of up to eight bytes as one upper-cased word, so that a plain file's name is
// turned away with one length test and a handful of integer compares: the ZIP pass asks this
// of every entry in every folder.
constexpr uint64_t PackUpper(std::string_view ext) {
  uint64_t v = 0;
  for (char c : ext) v = v << 8 | static_cast<unsigned char>(base::UpperAscii(c));
  return v;
}

constexpr std::array<uint64_t, kZipFamilyExtensions.size()> PackedFamily() {
  std::array<uint64_t, kZipFamilyExtensions.size()> packed{};
  for (size_t i = 0; i < packed.size(); ++i) packed[i] = PackUpper(kZipFamilyExtensions[i]);
  return packed;
}

constexpr bool LengthsFit() {
  for (std::string_view ext : kZipFamilyExtensions)
    if (ext.size() < 3 || ext.size() > 5) return false;
  return true;
}
static_assert(LengthsFit(), "the length test below turns away other extension lengths");

constexpr auto kPackedFamily = PackedFamily();
constexpr uint64_t kPackedZip = PackUpper("ZIP");

}  // namespace

bool IsZipPassName(std::string_view name, bool family) {
  // The extension as a "*.EXT" find pattern sees it: after the name's last dot.
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = name.substr(dot + 1);
  if (ext.size() < 3 || ext.size() > 5) return false;
  const uint64_t packed = PackUpper(ext);
  if (packed == kPackedZip) return true;
  if (!family) return false;
  for (uint64_t known : kPackedFamily)
    if (packed == known) return true;
  return false;
}

}  // namespace quillow::search
