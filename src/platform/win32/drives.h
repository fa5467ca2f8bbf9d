// Drive types of the letters A to Z, as the system reports them.
#pragma once

#include <array>
#include <cstdint>

namespace quillow::platform {

// GetDriveType codes: 0 unknown, 1 no root folder, 2 removable, 3 fixed, 4 remote, 5 CD-ROM,
// 6 RAM disk.
enum DriveType : uint32_t {
  kDriveUnknown = 0,
  kDriveNoRoot = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};

using DriveTypeTable = std::array<uint32_t, 26>;

// Asks the system for "A:\" to "Z:\" in turn.
DriveTypeTable ReadDriveTypes();

}  // namespace quillow::platform
