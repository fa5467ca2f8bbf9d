// The shell's "open" verb.
#pragma once

#include <windows.h>

#include <string>

namespace quillow::platform {

// Opens `path` with the program the system associates with it: no parameters, no working
// folder. Returns the shell's answer: above 32 on success.
INT_PTR ShellOpen(HWND owner, const std::string& path, int showCommand);

}  // namespace quillow::platform
