// File operations that whole-file copies need beyond reading and writing: existence, what a
// path names, a folder's names, an input that nobody may change while it is copied, replacing
// a target in one step, the modification date, and the system's own folders.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fs.h"

namespace quillow::platform {

// True when `path` names a file (not a folder) that exists.
bool FileExists(const std::string& path);

// What a path names. A link is followed: everything but isLink describes where it leads.
struct PathInfo {
  bool isDirectory = false;
  // The path itself is a symbolic link, junction or other reparse point.
  bool isLink = false;
  bool hidden = false;  // hidden or system on Windows; a name beginning with "." elsewhere
  uint64_t size = 0;
  uint16_t dosDate = 0;  // last write, local time; 0 when it has no DOS form on Windows
  uint16_t dosTime = 0;
  uint32_t mode = 0;  // the POSIX file type and permission bits; 0 on Windows
};
std::optional<PathInfo> StatPath(const std::string& path);

// One name of a folder, and whether it leads to a folder (a link to one does).
struct FolderName {
  std::string name;
  bool isDirectory = false;
};
// The names in `folder` (the current folder when empty), without "." and "..", for walks
// that follow links by path. The search's own walk is FolderListing, which never follows
// one. False, with no names, when the folder cannot be read.
bool ListFolderNames(const std::string& folder, std::vector<FolderName>& names);

// The path with every link, junction and relative step resolved; empty when it cannot be.
std::string RealPath(const std::string& path);

// Opens a file for reading while denying writers: on Windows no other handle may write it
// while this one is open; elsewhere a shared lock keeps cooperating writers out. Null when
// the file cannot be opened or somebody is writing it.
std::unique_ptr<ReadFile> OpenForReadingDenyWrite(const std::string& path);

// Moves `from` onto `to`, replacing a file that is there; the target never exists half
// written. Both lie in the same folder.
bool ReplaceFileWith(const std::string& from, const std::string& to);

// Gives `to` the last-modification time of `from`.
bool CopyModificationTime(const std::string& from, const std::string& to);

// The system folder and the Windows folder; empty where there are none.
std::string SystemFolder();
std::string WindowsFolder();

}  // namespace quillow::platform
