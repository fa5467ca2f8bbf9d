#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/file_ops.h"

namespace quillow::platform {

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::unique_ptr<ReadFile> OpenForReadingDenyWrite(const std::string& path) {
  auto file = OpenForReading(path);
  if (!file) return nullptr;
  // The lock belongs to the open file description, so it is held through a descriptor of
  // its own that lives as long as the reader.
  class LockedReadFile final : public ReadFile {
   public:
    LockedReadFile(std::unique_ptr<ReadFile> inner, int fd) : inner_(std::move(inner)), fd_(fd) {}
    ~LockedReadFile() override { ::close(fd_); }
    LockedReadFile(const LockedReadFile&) = delete;
    LockedReadFile& operator=(const LockedReadFile&) = delete;
    uint64_t Length() const override { return inner_->Length(); }
    size_t ReadAt(uint64_t offset, void* dst, size_t n) override {
      return inner_->ReadAt(offset, dst, n);
    }

   private:
    std::unique_ptr<ReadFile> inner_;
    int fd_;
  };
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<LockedReadFile>(std::move(file), fd);
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyModificationTime(const std::string& from, const std::string& to) {
  struct stat st {};
  if (::stat(from.c_str(), &st) != 0) return false;
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  return ::utimensat(AT_FDCWD, to.c_str(), times, 0) == 0;
}

std::string SystemFolder() { return {}; }
std::string WindowsFolder() { return {}; }

}  // namespace quillow::platform
