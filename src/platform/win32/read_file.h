// Reading a disk file through a handle, shared by the plain and the deny-write openers.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/fs.h"

namespace quillow::platform {

// Opens `path` (long paths included) for reading, letting other handles do what `share`
// allows. Null when it cannot be opened or is not a disk file: a device name ("con.zip" is
// the console) opens the device, which is never read.
std::unique_ptr<ReadFile> OpenDiskFileForReading(const std::string& path, DWORD share);

}  // namespace quillow::platform
