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

// The system's sentence for an error code, ending in a full stop; a write that took
// nothing without a code (ERROR_HANDLE_DISK_FULL here) is "The disk is full."
std::string SystemErrorText(unsigned long code);

}  // namespace quillow::platform
