// The core's file system on Windows: the wide functions, so names in any script work, and
// "\\?\" paths for absolute paths past the classic length limit.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/file_ops.h"
#include "platform/win32/file_time.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"
#include "platform/win32/write_all.h"
#include "zip/core/zip_fs.h"

namespace quillow::zip {

namespace {

// The core joins paths with either separator; the "\\?\" form of a long path takes only
// backslashes.
std::string Native(std::string path) {
  platform::ToNativeSeparators(path);
  return path;
}
std::wstring WidePath(const std::string& path) { return platform::WidePath(Native(path)); }

// 1980-01-01 00:00 as a DOS stamp.
constexpr DosDateTime kFirstDosDay = (1 << 21) | (1 << 16);

bool ToFileTime(DosDateTime when, FILETIME& utc) {
  return platform::DosToFileTime(static_cast<uint16_t>(when >> 16),
                                 static_cast<uint16_t>(when & 0xFFFF), utc);
}

using platform::UniqueFile;

class WinOutput final : public OutputFile {
 public:
  explicit WinOutput(UniqueFile h) : h_(std::move(h)) {}
  bool WriteAt(uint64_t offset, const void* data, size_t n) override {
    end_ = std::max(end_, offset + n);
    const DWORD code = platform::WriteAll(h_.get(), data, n, &offset);
    if (code == ERROR_SUCCESS) return true;
    error_ = platform::SystemErrorText(code);
    return false;
  }
  bool Finish(uint64_t length) override {
    // The file was made new, so it already ends where the furthest write did.
    if (length == end_) return true;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(length);
    return SetFilePointerEx(h_.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(h_.get());
  }
  bool SetModified(DosDateTime when) override {
    FILETIME utc;
    return ToFileTime(when, utc) && SetFileTime(h_.get(), nullptr, nullptr, &utc);
  }
  bool Sync() override { return FlushFileBuffers(h_.get()) != 0; }
  // A new file takes the rights of its folder, as the old one did.
  bool SetMode(uint32_t) override { return true; }

  std::string Error() const override { return error_; }

 private:
  UniqueFile h_;
  uint64_t end_ = 0;
  std::string error_;
};

class WinFileSystem final : public FileSystem {
 public:
  char Separator() const override { return '\\'; }
  std::string CurrentFolder() override { return platform::CurrentFolder(); }
  std::optional<FileInfo> Stat(const std::string& path) override {
    const std::optional<platform::PathInfo> found = platform::StatPath(Native(path));
    if (!found) return std::nullopt;
    FileInfo info = FileInfoOf(*found);
    // A time that has no DOS form is the first day DOS knows.
    if (found->dosDate == 0) info.modified = kFirstDosDay;
    return info;
  }
  std::vector<FolderItem> List(const std::string& folder) override {
    std::vector<FolderItem> items;
    platform::ListFolderNames(Native(folder), items);
    return items;
  }
  std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
    return platform::OpenForReading(Native(path));
  }
  std::unique_ptr<OutputFile> CreateNew(const std::string& path) override {
    UniqueFile h(CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return nullptr;
    return std::make_unique<WinOutput>(std::move(h));
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return platform::ReplaceFileWith(Native(from), Native(to));
  }
  bool Remove(const std::string& path) override { return platform::DeleteFileAt(Native(path)); }
  bool MakeFolder(const std::string& path) override {
    return CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0;
  }
  bool SetModified(const std::string& path, DosDateTime when) override {
    FILETIME utc;
    if (!ToFileTime(when, utc)) return false;
    UniqueFile h(CreateFileW(WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h && SetFileTime(h.get(), nullptr, nullptr, &utc);
  }
  std::string RealPath(const std::string& path) override {
    return platform::RealPath(Native(path));
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WinFileSystem fs;
  return fs;
}

}  // namespace quillow::zip
