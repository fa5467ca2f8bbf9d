// File system for the native build. Listing gives the Windows view the search expects:
// "." and ".." included, directory bit, names beginning with "." hidden.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/fs.h"
#include "platform/posix/write_all.h"

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
      ssize_t got =
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

class PosixWriteFile final : public WriteFile {
 public:
  explicit PosixWriteFile(int fd) : fd_(fd) {}
  ~PosixWriteFile() override { ::close(fd_); }
  PosixWriteFile(const PosixWriteFile&) = delete;
  PosixWriteFile& operator=(const PosixWriteFile&) = delete;

  bool Write(const void* data, size_t n) override {
    std::string error = WriteAll(fd_, data, n);
    if (error.empty()) return true;
    error_ = std::move(error);
    return false;
  }
  std::string Error() const override { return error_; }

 private:
  int fd_;
  std::string error_;
};

// Descriptors for the walk: never a controlling terminal, closed across exec.
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

std::string ErrorText(int error) { return std::strerror(error); }

}  // namespace

// Takes an open descriptor as a file to read, or closes it when it is not a regular file;
// `st` is what the system said of it.
std::unique_ptr<ReadFile> AdoptForReading(int fd, struct stat& st);

std::string WriteAll(int fd, const void* data, size_t n, const uint64_t* offset) {
  const char* p = static_cast<const char*>(data);
  uint64_t at = offset ? *offset : 0;
  while (n > 0) {
    const ssize_t put = offset ? ::pwrite(fd, p, n, static_cast<off_t>(at)) : ::write(fd, p, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return put < 0 ? std::strerror(errno) : kDiskFullText;
    p += put;
    n -= static_cast<size_t>(put);
    at += static_cast<uint64_t>(put);
  }
  return {};
}

namespace {

void DosFromLocal(int year, int month, int day, int hour, int minute, int second, uint16_t& dosDate,
                  uint16_t& dosTime) {
  year -= 1980;
  // DOS dates cover 1980 to 2107; earlier times clamp to the first day.
  if (year < 0) {
    dosDate = (1 << 5) | 1;
    dosTime = 0;
    return;
  }
  if (year > 127) year = 127;
  dosDate = static_cast<uint16_t>((year << 9) | (month << 5) | day);
  dosTime = static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Seconds since 1970 on the local clock to the calendar: days to year, month and day by
// whole 400-year eras of 146,097 days, each year counted from March so that the leap day
// comes last.
void DosFromLocalSeconds(int64_t local, uint16_t& dosDate, uint16_t& dosTime) {
  const int64_t days = FloorDiv(local, 86400);
  const int64_t secs = local - days * 86400;
  const int64_t z = days + 719468;  // days from 0000-03-01
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int64_t year = yoe + era * 400 + (month <= 2);
  DosFromLocal(static_cast<int>(std::clamp<int64_t>(year, 0, 9999)), month, day,
               static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
               static_cast<int>(secs % 60), dosDate, dosTime);
}

bool OffsetAt(int64_t seconds, long& offset) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return false;
  offset = local.tm_gmtoff;
  return true;
}

// The local clock's offset over one quarter of an hour. The C library takes a lock and
// walks the zone's rules for every time it converts, and the members of one archive mostly
// lie minutes apart: a quarter seen twice is checked at its first and last second, and if
// the offset holds at both (no zone changes it twice in fifteen minutes) it is kept.
struct QuarterOffset {
  enum State { kSeenOnce, kHolds, kChanges };
  int64_t quarter = INT64_MIN;
  long offset = 0;
  State state = kSeenOnce;
};

}  // namespace

void UnixTimeToDos(int64_t seconds, uint16_t& dosDate, uint16_t& dosTime) {
  thread_local QuarterOffset known;
  const int64_t quarter = FloorDiv(seconds, 900);
  if (quarter == known.quarter && known.state == QuarterOffset::kHolds) {
    DosFromLocalSeconds(seconds + known.offset, dosDate, dosTime);
    return;
  }
  const time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  if (static_cast<int64_t>(t) != seconds || !localtime_r(&t, &local)) {
    dosDate = dosTime = 0;
    return;
  }
  if (quarter != known.quarter) {
    known = {quarter, local.tm_gmtoff, QuarterOffset::kSeenOnce};
  } else if (known.state == QuarterOffset::kSeenOnce) {
    long first = 0, last = 0;
    const bool holds = OffsetAt(quarter * 900, first) && OffsetAt(quarter * 900 + 899, last) &&
                       first == known.offset && last == known.offset;
    known.state = holds ? QuarterOffset::kHolds : QuarterOffset::kChanges;
  }
  DosFromLocal(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
               local.tm_sec, dosDate, dosTime);
}

int64_t DosToUnixTime(uint16_t dosDate, uint16_t dosTime) {
  struct tm local {};
  local.tm_year = ((dosDate >> 9) & 0x7F) + 80;
  local.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
  local.tm_mday = dosDate & 0x1F;
  local.tm_hour = (dosTime >> 11) & 0x1F;
  local.tm_min = (dosTime >> 5) & 0x3F;
  local.tm_sec = (dosTime & 0x1F) * 2;
  local.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&local));
}

struct StartFolder::State {
  int fd = -1;
};

StartFolder::StartFolder() : path_(CurrentFolder()), state_(std::make_unique<State>()) {
  state_->fd = ::open(".", kFolderFlags);
}

StartFolder::StartFolder(const std::string& path) : path_(path), state_(std::make_unique<State>()) {
  state_->fd = ::open(path.c_str(), kFolderFlags);
}

StartFolder::~StartFolder() {
  if (state_->fd >= 0) ::close(state_->fd);
}

std::string StartFolder::Resolve(const std::string& entry) const {
  std::string_view rest = entry;
  if (!rest.empty() && rest[0] == '/') return entry;
  // "." and "./" name the start folder itself; the path text does not repeat them.
  while (rest == "." || rest.rfind("./", 0) == 0) {
    rest.remove_prefix(rest.size() == 1 ? 1 : 2);
    while (!rest.empty() && rest[0] == '/') rest.remove_prefix(1);
  }
  return rest.empty() ? path_ : JoinPath(path_, rest);
}

struct FolderListing::State {
  int fd = -1;
  // Whether the descriptor has been read from, so a second reading must rewind it first.
  bool read = false;
  // Identity of the folder, taken when it is parked, so that taking it back through a
  // subfolder's ".." can tell whether it is still the same folder. Most folders are never
  // parked: the walk asks nothing more of them than their entries.
  dev_t dev = 0;
  ino_t ino = 0;

  void Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
    read = false;
  }
  bool Adopt(int opened, std::string& error) {
    Close();
    if (opened < 0) {
      error = ErrorText(errno);
      return false;
    }
    fd = opened;
    return true;
  }
};

FolderListing::FolderListing() : state_(std::make_unique<State>()) {}
FolderListing::~FolderListing() { state_->Close(); }

bool FolderListing::Enter(const StartFolder& start, const std::string& folder) {
  entries.clear();
  // Relative entries open below the start folder itself, not below its path text, which may
  // be too long for the system to take and says nothing of what became current since.
  const int base = folder.empty() || folder[0] == '/' ? AT_FDCWD : start.state().fd;
  if (base < 0 && base != AT_FDCWD) {
    error_ = ErrorText(ENOENT);
    return false;
  }
  return state_->Adopt(::openat(base, folder.empty() ? "." : folder.c_str(), kFolderFlags), error_);
}

bool FolderListing::EnterSub(const FolderListing& parent, const std::string& name) {
  entries.clear();
  if (parent.state_->fd < 0) {
    error_ = ErrorText(EBADF);
    return false;
  }
  // A link is listed but never entered: it can lead back up the tree.
  return state_->Adopt(::openat(parent.state_->fd, name.c_str(), kFolderFlags | O_NOFOLLOW),
                       error_);
}

void FolderListing::Park() {
  struct stat st {};
  // A folder whose identity cannot be taken cannot be taken back either.
  if (state_->fd >= 0 && ::fstat(state_->fd, &st) == 0) {
    state_->dev = st.st_dev;
    state_->ino = st.st_ino;
  } else {
    state_->dev = 0;
    state_->ino = 0;
  }
  state_->Close();
}

bool FolderListing::Resume(const FolderListing& child) {
  if (state_->fd >= 0) return true;
  if (child.state_->fd < 0) return false;
  const int fd = ::openat(child.state_->fd, "..", kFolderFlags);
  if (fd < 0) return false;
  struct stat st {};
  if (state_->ino == 0 || ::fstat(fd, &st) != 0 || st.st_dev != state_->dev ||
      st.st_ino != state_->ino) {
    ::close(fd);
    return false;
  }
  state_->fd = fd;
  return true;
}

bool FolderListing::Read(const std::function<bool()>& stop) {
  entries.clear();
  const int fd = state_->fd;
  if (fd < 0) return false;
  // From the first entry, also when an earlier reading was stopped part way.
  if (state_->read && ::lseek(fd, 0, SEEK_SET) != 0) return false;
  state_->read = true;
  // The kernel's own records, straight from the open descriptor: no second descriptor and
  // no directory stream to set up for every folder of the walk.
  alignas(struct dirent64) static thread_local char buf[64 * 1024];
  for (;;) {
    const ssize_t n = ::getdents64(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error_ = ErrorText(errno);
    if (n <= 0) return n == 0;
    if (stop && stop()) return true;
    // The shortest record is 24 bytes: one allocation for a folder read at one go (later
    // pieces of a large folder grow the list as usual).
    if (entries.empty()) entries.reserve(static_cast<size_t>(n) / 24);
    for (ssize_t off = 0; off < n;) {
      const auto* d = reinterpret_cast<const struct dirent64*>(buf + off);
      off += d->d_reclen;
      DirEntry e;
      e.name = d->d_name;
      if (d->d_type == DT_DIR) {
        e.isDirectory = true;
      } else if (d->d_type == DT_REG) {
        e.isRegularFile = true;
      } else if (d->d_type == DT_UNKNOWN) {
        // Some file systems give no type; ask without following links, as for the others.
        struct stat st {};
        if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
          e.isDirectory = S_ISDIR(st.st_mode);
      }
      entries.push_back(std::move(e));
    }
  }
}

namespace {

void SetDetails(DirEntry& entry, const struct stat& st) {
  // A link to a folder shows as a folder (it is listed, never entered).
  const bool folder = entry.isDirectory || S_ISDIR(st.st_mode);
  uint32_t attr = folder ? kAttrDirectory : kAttrArchive;
  if (!entry.name.empty() && entry.name[0] == '.') attr |= kAttrHidden;
  if (!(st.st_mode & S_IWUSR)) attr |= kAttrReadOnly;
  entry.attributes = attr;
  entry.isRegularFile = S_ISREG(st.st_mode);
  entry.size = folder ? 0 : static_cast<uint32_t>(static_cast<uint64_t>(st.st_size));
  UnixTimeToDos(st.st_mtime, entry.dosDate, entry.dosTime);
  entry.hasDetails = true;
}

}  // namespace

bool FolderListing::FillDetails(DirEntry& entry) const {
  if (entry.hasDetails) return true;
  const int fd = state_->fd;
  struct stat st {};
  // Relative to the open folder: no walk down the whole path for every entry.
  const bool ok = fd >= 0 && (::fstatat(fd, entry.name.c_str(), &st, 0) == 0 ||
                              ::fstatat(fd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0);
  if (!ok) return false;
  SetDetails(entry, st);
  return true;
}

std::unique_ptr<ReadFile> FolderListing::Open(DirEntry& entry) const {
  // Pipes, sockets and devices are never opened: a device can act on an open alone. A
  // plain file the listing named as such is opened at once and its details taken from the
  // open descriptor, one look fewer; anything else is looked at first.
  if (!entry.isRegularFile && (!FillDetails(entry) || !entry.isRegularFile)) return nullptr;
  // Not blocking, and checked again on the open descriptor: whatever the name came to stand
  // for since the look above, the open cannot wait for a writer.
  struct stat st {};
  std::unique_ptr<ReadFile> file = AdoptForReading(
      ::openat(state_->fd, entry.name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC), st);
  if (file && !entry.hasDetails) SetDetails(entry, st);
  return file;
}

bool SetCurrentFolder(const std::string& folder) { return ::chdir(folder.c_str()) == 0; }

std::string CurrentFolder() {
  // The C library's own allocation also covers a current folder longer than PATH_MAX.
  char* cwd = ::getcwd(nullptr, 0);
  if (!cwd) return ".";
  std::string path(cwd);
  std::free(cwd);
  return path;
}

std::string AbsolutePath(const std::string& base, const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  if (path.empty()) return base;
  return JoinPath(base, path);
}

std::string ExecutablePath() {
  std::string buf(PATH_MAX, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  buf.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return buf;
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  if (path.empty()) return CurrentFolder();
  const size_t slash = path.rfind('/');
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::unique_ptr<ReadFile> AdoptForReading(int fd, struct stat& st) {
  if (fd < 0) return nullptr;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixReadFile>(fd, static_cast<uint64_t>(st.st_size));
}

std::unique_ptr<ReadFile> OpenForReading(const std::string& path) {
  struct stat st {};
  return AdoptForReading(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC), st);
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
