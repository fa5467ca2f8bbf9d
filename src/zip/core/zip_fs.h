// What the zip and unzip core needs from the file system, behind one small interface so the
// same core runs in the Windows libraries, natively and in tests. Paths are UTF-8 with '/'
// or the platform's separator; implementations convert them for the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/fs.h"

namespace quillow::zip {

// A file's DOS date and time word pair as one number: date << 16 | time, local time. Later
// times compare greater.
using DosDateTime = uint32_t;

struct FileInfo {
  bool isDirectory = false;
  bool hidden = false;  // hidden or system on Windows; a leading "." elsewhere
  uint64_t size = 0;
  DosDateTime modified = 0;
  uint32_t mode = 0;  // the POSIX file type and permission bits; 0 on Windows
  // The path itself is a symbolic link, junction or other reparse point; the rest describes
  // what it leads to.
  bool isLink = false;
};

// Built from what the platform tells of a path, with its DOS stamp as one number.
inline FileInfo FileInfoOf(const platform::PathInfo& p) {
  return FileInfo{.isDirectory = p.isDirectory,
                  .hidden = p.hidden,
                  .size = p.size,
                  .modified = static_cast<DosDateTime>(p.dosDate) << 16 | p.dosTime,
                  .mode = p.mode,
                  .isLink = p.isLink};
}

using FolderItem = platform::FolderName;

// Files are read as everywhere else in the program: random access, regular files only.
using InputFile = platform::ReadFile;

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool WriteAt(uint64_t offset, const void* data, size_t n) = 0;
  // Cuts the file to `length` bytes; false when that or an earlier write failed.
  virtual bool Finish(uint64_t length) = 0;
  // Gives the file its last-modification time, through the open file.
  virtual bool SetModified(DosDateTime when) = 0;
  // Waits until the data is on the disk. Asked for the archive that replaces an old one, not
  // for each extracted file, where it would cost more than the extraction itself.
  virtual bool Sync() = 0;
  // Gives the file the permission bits of `mode` (a FileInfo::mode), where files have them.
  virtual bool SetMode(uint32_t mode) = 0;
  // Why the last WriteAt failed, in the system's words; empty when none did.
  virtual std::string Error() const { return {}; }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual char Separator() const = 0;
  virtual std::string CurrentFolder() = 0;
  virtual std::optional<FileInfo> Stat(const std::string& path) = 0;
  // The entries of a folder without "." and ".."; empty when it cannot be read.
  virtual std::vector<FolderItem> List(const std::string& folder) = 0;
  virtual std::unique_ptr<InputFile> OpenRead(const std::string& path) = 0;
  // Creates a new file; fails when one of that name exists already.
  virtual std::unique_ptr<OutputFile> CreateNew(const std::string& path) = 0;
  // Renames, replacing a file that has the new name.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
  virtual bool MakeFolder(const std::string& path) = 0;
  virtual bool SetModified(const std::string& path, DosDateTime when) = 0;
  // The path with every link, junction and relative step resolved; empty when it cannot be.
  virtual std::string RealPath(const std::string& path) = 0;
};

// The file system of the running platform.
FileSystem& SystemFileSystem();

}  // namespace quillow::zip
