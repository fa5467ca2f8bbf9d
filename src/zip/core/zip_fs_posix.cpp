// The core's file system natively, over the platform layer where it has what the core needs
// (reading, writing, what a path names, listing, the current folder, removing and replacing
// files, DOS stamps); the rest is POSIX.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "platform/file_ops.h"
#include "platform/posix/write_all.h"
#include "zip/core/zip_fs.h"

namespace quillow::zip {

namespace {

struct timespec FromDos(DosDateTime d) {
  return {static_cast<time_t>(platform::DosToUnixTime(static_cast<uint16_t>(d >> 16),
                                                      static_cast<uint16_t>(d & 0xFFFF))),
          0};
}

class PosixOutput final : public OutputFile {
 public:
  explicit PosixOutput(int fd) : fd_(fd) {}
  ~PosixOutput() override { ::close(fd_); }
  PosixOutput(const PosixOutput&) = delete;
  PosixOutput& operator=(const PosixOutput&) = delete;
  bool WriteAt(uint64_t offset, const void* data, size_t n) override {
    end_ = std::max(end_, offset + n);
    std::string error = platform::WriteAll(fd_, data, n, &offset);
    if (error.empty()) return true;
    error_ = std::move(error);
    return false;
  }
  std::string Error() const override { return error_; }
  bool Finish(uint64_t length) override {
    // The file was made new, so it already ends where the furthest write did.
    return length == end_ || ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
  }
  bool SetModified(DosDateTime when) override {
    const struct timespec t = FromDos(when), times[2] = {t, t};
    return ::futimens(fd_, times) == 0;
  }
  bool Sync() override { return ::fsync(fd_) == 0; }
  bool SetMode(uint32_t mode) override {
    return mode == 0 || ::fchmod(fd_, static_cast<mode_t>(mode & 07777)) == 0;
  }

 private:
  int fd_;
  uint64_t end_ = 0;
  std::string error_;
};

class PosixFileSystem final : public FileSystem {
 public:
  char Separator() const override { return '/'; }
  std::string CurrentFolder() override { return platform::CurrentFolder(); }
  std::optional<FileInfo> Stat(const std::string& path) override {
    const std::optional<platform::PathInfo> info = platform::StatPath(path);
    if (!info) return std::nullopt;
    return FileInfoOf(*info);
  }
  std::vector<FolderItem> List(const std::string& folder) override {
    std::vector<FolderItem> items;
    platform::ListFolderNames(folder, items);
    return items;
  }
  std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
    return platform::OpenForReading(path);
  }
  std::unique_ptr<OutputFile> CreateNew(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOutput>(fd);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return platform::ReplaceFileWith(from, to);
  }
  bool Remove(const std::string& path) override { return platform::DeleteFileAt(path); }
  bool MakeFolder(const std::string& path) override { return ::mkdir(path.c_str(), 0777) == 0; }
  bool SetModified(const std::string& path, DosDateTime when) override {
    const struct timespec t = FromDos(when), times[2] = {t, t};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
  }
  std::string RealPath(const std::string& path) override { return platform::RealPath(path); }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace quillow::zip
