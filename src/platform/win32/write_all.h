// Writing all of a buffer through a file handle, in pieces the system takes at once.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace quillow::platform {

// Writes `n` bytes at `offset`, or at the file pointer when `offset` is null. Gives
// ERROR_SUCCESS, the system's code, or ERROR_HANDLE_DISK_FULL when a write took nothing and
// said nothing (a full volume ends in short writes that report success).
DWORD WriteAll(HANDLE h, const void* data, size_t n, const uint64_t* offset = nullptr,
               size_t piece = size_t{1} << 30);

}  // namespace quillow::platform
