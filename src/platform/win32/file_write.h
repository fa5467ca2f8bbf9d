// Writing a whole file safely, and adding to the end of one.
#pragma once

#include <string>
#include <string_view>

namespace quillow::platform {

// Makes `bytes` the content of `path`. They go into a new file beside it first, which
// replaces the old one only once it is completely written: a failure leaves the old file
// as it was. False with `error` set (the system's words) on failure.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& error);

// Adds `bytes` at the end of `path`, creating it when missing. A write that fails part of
// the way cuts the file back to the length it had, so what was there stays as it was.
bool AppendToFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace quillow::platform
