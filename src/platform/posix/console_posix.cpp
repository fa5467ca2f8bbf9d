#include "platform/console.h"

namespace quillow::platform {

std::vector<std::string> StartConsoleProgram(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace quillow::platform
