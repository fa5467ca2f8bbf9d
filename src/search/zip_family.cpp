#include "search/zip_family.h"

#include "base/ascii.h"

namespace quillow {

bool IsZipPassName(std::string_view name, bool family) {
  // The extension as a "*.EXT" find pattern sees it: after the name's last dot.
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = name.substr(dot + 1);
  if (EqualsIgnoringAsciiCase(ext, "ZIP")) return true;
  if (!family) return false;
  for (std::string_view known : kZipFamilyExtensions)
    if (EqualsIgnoringAsciiCase(ext, known)) return true;
  return false;
}

}  // namespace quillow
