#include "platform/code_page.h"

namespace quillow::platform {

std::optional<std::string> AnsiToUtf8(std::string_view) { return std::nullopt; }

}  // namespace quillow::platform
