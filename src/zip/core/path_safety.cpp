#include "zip/core/path_safety.h"

#include "base/ascii.h"
#include "base/separators.h"

namespace quillow::zip {

namespace {

// Windows opens the device whatever extension follows the name, and ignores trailing
// blanks and dots before it: "nul.txt", "Com1 .log" and "aux." all reach a device.
bool IsDeviceName(std::string_view part) {
  std::string_view stem = part.substr(0, part.find('.'));
  while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.')) stem.remove_suffix(1);
  std::string up;
  for (char c : stem) up += base::UpperAscii(c);
  if (up == "CON" || up == "PRN" || up == "AUX" || up == "NUL" || up == "CONIN$" || up == "CONOUT$")
    return true;
  return up.size() == 4 && (up.compare(0, 3, "COM") == 0 || up.compare(0, 3, "LPT") == 0) &&
         up[3] >= '1' && up[3] <= '9';
}

SafePath Refuse(std::string why) { return SafePath{{}, std::move(why)}; }

}  // namespace

SafePath CheckMemberPath(std::string_view name) {
  if (name.empty()) return Refuse("empty name");
  if (base::IsSlash(name[0])) {
    const bool unc = name.size() > 1 && base::IsSlash(name[1]);
    return Refuse(unc ? "network or device path" : "absolute path");
  }
  if (name.size() > 1 && name[1] == ':' && base::IsAsciiLetter(name[0]))
    return Refuse("drive letter");
  if (name.find(':') != std::string_view::npos) return Refuse("alternate data stream");

  SafePath out;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return Refuse("\"..\" leads out of the folder");
    for (char c : part)
      if (static_cast<unsigned char>(c) < 0x20 ||
          std::string_view("<>\"|?*").find(c) != std::string_view::npos)
        return Refuse("character not allowed in a file name");
    if (part.find_first_not_of(". ") == std::string_view::npos)
      return Refuse("name made of dots and blanks");
    if (IsDeviceName(part)) return Refuse("reserved device name");
    // Windows drops trailing dots and blanks, so "a." would become "a": store it that way.
    std::string_view kept = part;
    while (kept.back() == '.' || kept.back() == ' ') kept.remove_suffix(1);
    out.parts.emplace_back(kept);
  }
  if (out.parts.empty()) return Refuse("name leaves nothing to write");
  return out;
}

}  // namespace quillow::zip
