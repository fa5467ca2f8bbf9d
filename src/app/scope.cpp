#include "app/scope.h"

namespace quillow::app {

namespace {

bool InSet(uint32_t type, DriveSet set) {
  using namespace platform;
  switch (set) {
    case DriveSet::kAll: return type != kDriveNoRoot;
    case DriveSet::kRemovable: return type == kDriveRemovable || type == kDriveCdRom;
    case DriveSet::kNonRemovable:
      return type == kDriveUnknown || type == kDriveFixed || type == kDriveRemote ||
             type == kDriveRamDisk;
  }
  return false;
}

}  // namespace

std::string DriveSetText(const platform::DriveTypeTable& types, DriveSet set) {
  std::string text;
  for (size_t i = 0; i < types.size(); ++i) {
    if (!InSet(types[i], set)) continue;
    if (!text.empty()) text += ' ';
    text += static_cast<char>('A' + i);
    text += ":\\";
  }
  return text;
}

std::string BrowseStartFolder(std::string_view lookIn) {
  if (lookIn.empty() || lookIn.front() != '"') return std::string(lookIn);
  const size_t close = lookIn.find('"', 1);
  if (close == std::string_view::npos) return {};
  return std::string(lookIn.substr(1, close - 1));
}

std::string LookInForFolder(const std::string& path) {
  if (path.find(' ') == std::string::npos) return path;
  return "\"" + path + "\"";
}

}  // namespace quillow::app
