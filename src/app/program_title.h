// The program's name, as its windows and its messages are titled.
#pragma once

namespace quillow::app {

inline constexpr char kProgramTitle[] = "Quillow";

}  // namespace quillow::app
