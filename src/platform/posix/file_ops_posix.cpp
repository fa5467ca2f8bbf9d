#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "platform/file_ops.h"

namespace quillow::platform {

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<PathInfo> StatPath(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  PathInfo info;
  info.isLink = S_ISLNK(st.st_mode);
  if (info.isLink && ::stat(path.c_str(), &st) != 0) return std::nullopt;
  info.isDirectory = S_ISDIR(st.st_mode);
  const size_t slash = path.find_last_of('/');
  const std::string_view leaf = slash == std::string::npos
                                    ? std::string_view(path)
                                    : std::string_view(path).substr(slash + 1);
  info.hidden = leaf.size() > 1 && leaf[0] == '.' && leaf != "..";
  info.size = static_cast<uint64_t>(st.st_size);
  UnixTimeToDos(static_cast<int64_t>(st.st_mtime), info.dosDate, info.dosTime);
  info.mode = static_cast<uint32_t>(st.st_mode);
  return info;
}

bool ListFolderNames(const std::string& folder, std::vector<FolderName>& names) {
  names.clear();
  DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return false;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    // The entry's own type where the file system gives one: no look at every file.
    bool folderEntry = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st {};
      folderEntry = ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    names.push_back(FolderName{std::string(name), folderEntry});
  }
  ::closedir(d);
  return true;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
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
