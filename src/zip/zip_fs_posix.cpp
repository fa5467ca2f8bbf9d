// The core's file system natively: POSIX calls, local time for DOS stamps, names beginning
// with "." counted as hidden.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "zip/zip_fs.h"

namespace quillow::zip {

namespace {

DosDateTime ToDos(time_t t) {
  struct tm local {};
  if (!localtime_r(&t, &local) || local.tm_year < 80) return (0 << 25) | (1 << 21) | (1 << 16);
  const uint32_t date = ((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday;
  const uint32_t time = (local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2);
  return date << 16 | time;
}

time_t FromDos(DosDateTime d) {
  struct tm local {};
  local.tm_year = static_cast<int>((d >> 25) & 0x7F) + 80;
  local.tm_mon = static_cast<int>((d >> 21) & 0x0F) - 1;
  local.tm_mday = static_cast<int>((d >> 16) & 0x1F);
  local.tm_hour = static_cast<int>((d >> 11) & 0x1F);
  local.tm_min = static_cast<int>((d >> 5) & 0x3F);
  local.tm_sec = static_cast<int>(d & 0x1F) * 2;
  local.tm_isdst = -1;
  return mktime(&local);
}

class PosixInput final : public InputFile {
 public:
  PosixInput(int fd, uint64_t length) : fd_(fd), length_(length) {}
  ~PosixInput() override { ::close(fd_); }
  PosixInput(const PosixInput&) = delete;
  PosixInput& operator=(const PosixInput&) = delete;
  uint64_t Length() const override { return length_; }
  size_t ReadAt(uint64_t offset, void* dst, size_t n) override {
    size_t done = 0;
    while (done < n) {
      const ssize_t got =
          ::pread(fd_, static_cast<char*>(dst) + done, n - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    return done;
  }

 private:
  int fd_;
  uint64_t length_;
};

class PosixOutput final : public OutputFile {
 public:
  explicit PosixOutput(int fd) : fd_(fd) {}
  ~PosixOutput() override { ::close(fd_); }
  PosixOutput(const PosixOutput&) = delete;
  PosixOutput& operator=(const PosixOutput&) = delete;
  bool WriteAt(uint64_t offset, const void* data, size_t n) override {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
      const ssize_t put = ::pwrite(fd_, p, n, static_cast<off_t>(offset));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      p += put;
      n -= static_cast<size_t>(put);
      offset += static_cast<uint64_t>(put);
    }
    return true;
  }
  bool Finish(uint64_t length) override {
    return ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
  }
  bool Sync() override { return ::fsync(fd_) == 0; }

 private:
  int fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  char Separator() const override { return '/'; }
  std::string CurrentFolder() override {
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
  }
  std::optional<FileInfo> Stat(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    FileInfo info;
    info.isDirectory = S_ISDIR(st.st_mode);
    const size_t slash = path.find_last_of('/');
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    info.hidden = leaf.size() > 1 && leaf[0] == '.' && leaf != "..";
    info.size = static_cast<uint64_t>(st.st_size);
    info.modified = ToDos(st.st_mtime);
    return info;
  }
  std::vector<FolderItem> List(const std::string& folder) override {
    std::vector<FolderItem> items;
    DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return items;
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      FolderItem item{name, false};
      struct stat st {};
      const std::string full = folder.empty() ? name : folder + "/" + name;
      if (::stat(full.c_str(), &st) == 0) item.isDirectory = S_ISDIR(st.st_mode);
      items.push_back(std::move(item));
    }
    ::closedir(d);
    return items;
  }
  std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixInput>(fd, static_cast<uint64_t>(st.st_size));
  }
  std::unique_ptr<OutputFile> CreateNew(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOutput>(fd);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0;
  }
  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
  bool MakeFolder(const std::string& path) override { return ::mkdir(path.c_str(), 0777) == 0; }
  bool SetModified(const std::string& path, DosDateTime when) override {
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = FromDos(when);
    times[0].tv_nsec = times[1].tv_nsec = 0;
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
