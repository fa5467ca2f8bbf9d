// File system for the native build. Listing gives the Windows view the search expects:
// "." and ".." included, directory bit, names beginning with "." hidden.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fs.h"

namespace quillow::platform {

namespace {

class PosixReadFile final : public ReadFile {
 public:
  PosixReadFile(int fd, uint64_t length) : fd_(fd), length_(length) {}
  ~PosixReadFile() override { ::close(fd_); }
  PosixReadFile(const PosixReadFile&) = delete;
  PosixReadFile& operator=(const PosixReadFile&) = delete;

  uint64_t Length() const override { return length_; }
  size_t ReadAt(uint64_t offset, void* dst, size_t n) override {
    size_t done = 0;
    while (done < n) {
      ssize_t got = ::pread(fd_, static_cast<char*>(dst) + done, n - done,
                            static_cast<off_t>(offset + done));
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

class PosixWriteFile final : public WriteFile {
 public:
  explicit PosixWriteFile(int fd) : fd_(fd) {}
  ~PosixWriteFile() override { ::close(fd_); }
  PosixWriteFile(const PosixWriteFile&) = delete;
  PosixWriteFile& operator=(const PosixWriteFile&) = delete;

  bool Write(const void* data, size_t n) override {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
      ssize_t put = ::write(fd_, p, n);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      p += put;
      n -= static_cast<size_t>(put);
    }
    return true;
  }

 private:
  int fd_;
};

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

}  // namespace

void UnixTimeToDos(int64_t seconds, uint16_t& dosDate, uint16_t& dosTime) {
  time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) {
    dosDate = dosTime = 0;
    return;
  }
  int year = local.tm_year + 1900 - 1980;
  // DOS dates cover 1980 to 2107; earlier times clamp to the first day.
  if (year < 0) {
    dosDate = (1 << 5) | 1;
    dosTime = 0;
    return;
  }
  if (year > 127) year = 127;
  dosDate = static_cast<uint16_t>((year << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  dosTime = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

FolderListing::~FolderListing() { Release(); }

void FolderListing::Release() {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
}

bool FolderListing::Enter(const std::string& folder) {
  entries.clear();
  folder_ = folder;
  Release();
  handle_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle_ < 0) return false;
  // Entered through the descriptor: the path is looked up once, for the open.
  if (::fchdir(handle_) != 0) {
    Release();
    return false;
  }
  return true;
}

bool FolderListing::Read(const std::function<bool()>& stop) {
  entries.clear();
  if (handle_ < 0) return false;
  // From the first entry, also when an earlier reading was stopped part way.
  if (::lseek(handle_, 0, SEEK_SET) != 0) return false;
  // The kernel's own records, straight from the open descriptor: no second descriptor and
  // no directory stream to set up for every folder of the walk.
  alignas(struct dirent64) static thread_local char buf[64 * 1024];
  for (;;) {
    const ssize_t n = ::getdents64(handle_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    if (stop && stop()) return true;
    for (ssize_t off = 0; off < n;) {
      const auto* d = reinterpret_cast<const struct dirent64*>(buf + off);
      off += d->d_reclen;
      DirEntry e;
      e.name = d->d_name;
      if (d->d_type == DT_DIR) {
        e.isDirectory = true;
      } else if (d->d_type == DT_UNKNOWN) {
        // Some file systems give no type; ask without following links, as for the others.
        struct stat st {};
        if (::fstatat(handle_, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) e.isDirectory = S_ISDIR(st.st_mode);
      }
      entries.push_back(std::move(e));
    }
  }
}

bool FolderListing::FillDetails(DirEntry& entry) const {
  if (entry.hasDetails) return true;
  struct stat st {};
  if (handle_ < 0)
    handle_ = ::open(folder_.empty() ? "." : folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // Relative to the open folder: no walk down the whole path for every entry.
  bool ok = handle_ >= 0 ? ::fstatat(handle_, entry.name.c_str(), &st, 0) == 0 ||
                               ::fstatat(handle_, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                         : false;
  if (!ok) return false;
  // A link to a folder shows as a folder (it is listed, never entered).
  const bool folder = entry.isDirectory || S_ISDIR(st.st_mode);
  uint32_t attr = folder ? kAttrDirectory : kAttrArchive;
  if (!entry.name.empty() && entry.name[0] == '.') attr |= kAttrHidden;
  if (!(st.st_mode & S_IWUSR)) attr |= kAttrReadOnly;
  entry.attributes = attr;
  entry.size = folder ? 0 : static_cast<uint32_t>(static_cast<uint64_t>(st.st_size));
  UnixTimeToDos(st.st_mtime, entry.dosDate, entry.dosTime);
  entry.hasDetails = true;
  return true;
}

bool SetCurrentFolder(const std::string& folder) { return ::chdir(folder.c_str()) == 0; }

std::string CurrentFolder() {
  std::string buf(PATH_MAX, '\0');
  if (!::getcwd(buf.data(), buf.size())) return ".";
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  return buf;
}

std::string AbsolutePath(const std::string& base, const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  if (path.empty()) return base;
  return Join(base, path);
}

std::string ExecutableFolder() {
  std::string buf(PATH_MAX, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return CurrentFolder();
  buf.resize(static_cast<size_t>(n));
  size_t slash = buf.rfind('/');
  return slash == 0 ? std::string("/") : buf.substr(0, slash);
}

std::unique_ptr<ReadFile> OpenForReading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixReadFile>(fd, static_cast<uint64_t>(st.st_size));
}

std::unique_ptr<WriteFile> OpenForWriting(const std::string& path, WriteMode mode) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == WriteMode::kAppend ? O_APPEND : O_TRUNC);
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixWriteFile>(fd);
}

bool DeleteFileAt(const std::string& path) { return ::unlink(path.c_str()) == 0; }

int64_t FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

}  // namespace quillow::platform
