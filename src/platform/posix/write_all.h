// Writing all of a buffer through a file descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillow::platform {

// Writes `n` bytes at `offset`, or at the file position when `offset` is null. Gives the
// system's words for a failure, kDiskFullText for a write that took nothing, or nothing.
std::string WriteAll(int fd, const void* data, size_t n, const uint64_t* offset = nullptr);

}  // namespace quillow::platform
