// The core's file system natively, over the platform layer where it has what the core needs
// (reading, writing, the current folder, removing and replacing files, DOS stamps); the rest
// is POSIX.
// Names beginning with "." count as hidden.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "platform/file_ops.h"
#include "platform/posix/write_all.h"
#include "zip/core/zip_fs.h"

namespace quillow::zip {

namespace {

DosDateTime ToDos(time_t t) {
  uint16_t date = 0, time = 0;
  platform::UnixTimeToDos(static_cast<int64_t>(t), date, time);
  return static_cast<DosDateTime>(date) << 16 | time;
}

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
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    const bool link = S_ISLNK(st.st_mode);
    if (link && ::stat(path.c_str(), &st) != 0) return std::nullopt;
    FileInfo info;
    info.isLink = link;
    info.isDirectory = S_ISDIR(st.st_mode);
    const size_t slash = path.find_last_of('/');
    const std::string_view leaf = slash == std::string::npos
                                      ? std::string_view(path)
                                      : std::string_view(path).substr(slash + 1);
    info.hidden = leaf.size() > 1 && leaf[0] == '.' && leaf != "..";
    info.size = static_cast<uint64_t>(st.st_size);
    info.modified = ToDos(st.st_mtime);
    info.mode = static_cast<uint32_t>(st.st_mode);
    return info;
  }
  std::vector<FolderItem> List(const std::string& folder) override {
    std::vector<FolderItem> items;
    DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return items;
    while (const dirent* e = ::readdir(d)) {
      const std::string_view name = e->d_name;
      if (name == "." || name == "..") continue;
      // The entry's own type where the file system gives one: no look at every file.
      bool folderEntry = e->d_type == DT_DIR;
      if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
        struct stat st {};
        folderEntry = ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
      }
      items.push_back(FolderItem{std::string(name), folderEntry});
    }
    ::closedir(d);
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
  std::string RealPath(const std::string& path) override {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace quillow::zip
