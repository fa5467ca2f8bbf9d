// UTF-8 inside, UTF-16 at the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace quillow::platform {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A path ready for the wide file functions: absolute paths longer than the classic limit
// get the "\\?\" prefix (or "\\?\UNC\" for network paths) so they are reached, not skipped.
std::wstring WidePath(const std::string& path);

}  // namespace quillow::platform
