// Whether a member name may be written below the extraction folder: the name cut into the
// folder components it creates, or the reason it is refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillow::zip {

struct SafePath {
  std::vector<std::string> parts;  // empty when refused
  std::string refusal;             // why, when refused
};

// `name` is the member's name as UTF-8, with '/' or '\' between folders. Refused: absolute
// and rooted names, drive letters, UNC and device paths, any ".." component, ':' anywhere
// (drives and alternate data streams), reserved device names (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, with or without an extension), characters Windows names cannot hold, components
// Windows would shrink to dots, and names that leave nothing once "." and empty parts go.
SafePath CheckMemberPath(std::string_view name);

}  // namespace quillow::zip
