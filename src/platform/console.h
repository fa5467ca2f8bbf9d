// What a command-line program needs of the system when it starts.
#pragma once

#include <string>
#include <vector>

namespace quillow::platform {

// The program's arguments (without its own name) in UTF-8, whatever the console's code page;
// standard output is made to pass bytes through unchanged (the layouts carry their own line
// ends) and, on a console, to show UTF-8.
std::vector<std::string> StartConsoleProgram(int argc, char** argv);

}  // namespace quillow::platform
