// The system's ANSI code page, for text a foreign caller hands over in it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillow::platform {

// `bytes` read in the system's ANSI code page, as UTF-8; nothing where the system has no
// such code page (POSIX) or cannot convert, so the caller picks its own fallback.
std::optional<std::string> AnsiToUtf8(std::string_view bytes);

}  // namespace quillow::platform
