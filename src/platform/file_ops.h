// File operations that whole-file copies need beyond reading and writing: existence, an
// input that nobody may change while it is copied, replacing a target in one step, the
// modification date, and the system's own folders.
#pragma once

#include <memory>
#include <string>

#include "platform/fs.h"

namespace quillow::platform {

// True when `path` names a file (not a folder) that exists.
bool FileExists(const std::string& path);

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
