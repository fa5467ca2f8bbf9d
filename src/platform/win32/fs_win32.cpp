// File system for Windows: the wide functions throughout, long paths through "\\?\".
#include <windows.h>

#include "platform/fs.h"
#include "platform/win32/text.h"

namespace quillow::platform {

namespace {

class HandleReadFile final : public ReadFile {
 public:
  HandleReadFile(HANDLE h, uint64_t length) : h_(h), length_(length) {}
  ~HandleReadFile() override { CloseHandle(h_); }
  HandleReadFile(const HandleReadFile&) = delete;
  HandleReadFile& operator=(const HandleReadFile&) = delete;

  uint64_t Length() const override { return length_; }
  size_t ReadAt(uint64_t offset, void* dst, size_t n) override {
    size_t done = 0;
    while (done < n) {
      OVERLAPPED ov{};
      const uint64_t at = offset + done;
      ov.Offset = static_cast<DWORD>(at);
      ov.OffsetHigh = static_cast<DWORD>(at >> 32);
      DWORD want = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30));
      DWORD got = 0;
      if (!::ReadFile(h_, static_cast<char*>(dst) + done, want, &got, &ov) || got == 0) break;
      done += got;
    }
    return done;
  }

 private:
  HANDLE h_;
  uint64_t length_;
};

class HandleWriteFile final : public WriteFile {
 public:
  explicit HandleWriteFile(HANDLE h) : h_(h) {}
  ~HandleWriteFile() override { CloseHandle(h_); }
  HandleWriteFile(const HandleWriteFile&) = delete;
  HandleWriteFile& operator=(const HandleWriteFile&) = delete;

  bool Write(const void* data, size_t n) override {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
      DWORD put = 0;
      DWORD want = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
      if (!::WriteFile(h_, p, want, &put, nullptr) || put == 0) return false;
      p += put;
      n -= put;
    }
    return true;
  }

 private:
  HANDLE h_;
};

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  char last = folder.back();
  if (last == '\\' || last == '/' || last == ':') return folder + name;
  return folder + '\\' + name;
}

void FileTimeToDos(const FILETIME& ft, uint16_t& dosDate, uint16_t& dosTime) {
  FILETIME local{};
  WORD d = 0, t = 0;
  if (FileTimeToLocalFileTime(&ft, &local) && FileTimeToDosDateTime(&local, &d, &t)) {
    dosDate = d;
    dosTime = t;
  } else {
    dosDate = dosTime = 0;
  }
}

}  // namespace

void UnixTimeToDos(int64_t seconds, uint16_t& dosDate, uint16_t& dosTime) {
  // 100-ns intervals since 1601.
  const uint64_t ticks = static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL;
  FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  FileTimeToDos(ft, dosDate, dosTime);
}

FolderListing::~FolderListing() = default;
void FolderListing::Release() {}

bool FolderListing::Enter(const std::string& folder) {
  entries.clear();
  folder_ = folder;
  return SetCurrentFolder(folder);
}

bool FolderListing::Read(const std::function<bool()>& stop) {
  entries.clear();
  const std::string& folder = folder_;
  WIN32_FIND_DATAW fd;
  const std::wstring pattern = WidePath(Join(folder, "*"));
  HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    DirEntry e;
    e.name = Narrow(fd.cFileName);
    e.attributes = fd.dwFileAttributes;
    e.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.size = e.isDirectory ? 0 : fd.nFileSizeLow;
    FileTimeToDos(fd.ftLastWriteTime, e.dosDate, e.dosTime);
    e.hasDetails = true;
    // A junction or directory link is listed but never entered: it can lead back up the tree.
    if (e.isDirectory && (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) e.isDirectory = false;
    entries.push_back(std::move(e));
    if (stop && entries.size() % 512 == 0 && stop()) break;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return true;
}

// The find functions hand over every detail with the name.
bool FolderListing::FillDetails(DirEntry& entry) const { return entry.hasDetails; }

bool SetCurrentFolder(const std::string& folder) {
  std::wstring w = Widen(folder);
  if (SetCurrentDirectoryW(w.c_str())) return true;
  // The current folder is limited to the classic path length; a longer folder that exists
  // is still searched, by its full path.
  if (w.size() >= MAX_PATH - 12) {
    DWORD attr = GetFileAttributesW(WidePath(folder).c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
  }
  return false;
}

std::string CurrentFolder() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring buf(n, L'\0');
  n = GetCurrentDirectoryW(n, buf.data());
  buf.resize(n);
  return Narrow(buf);
}

std::string AbsolutePath(const std::string& base, const std::string& path) {
  // Drive-qualified ("C:\x", "C:x") and network paths are taken as they are.
  if (path.size() >= 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\'))) return path;
  if (!path.empty() && path[0] == '\\') {
    // Rooted on the base's drive.
    if (base.size() >= 2 && base[1] == ':') return base.substr(0, 2) + path;
    return path;
  }
  if (path.empty()) return base;
  return Join(base, path);
}

std::string ExecutableFolder() {
  std::wstring buf(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  buf.resize(n);
  size_t slash = buf.find_last_of(L"\\/");
  if (slash != std::wstring::npos) buf.resize(slash);
  return Narrow(buf);
}

std::unique_ptr<ReadFile> OpenForReading(const std::string& path) {
  HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<HandleReadFile>(h, static_cast<uint64_t>(size.QuadPart));
}

std::unique_ptr<WriteFile> OpenForWriting(const std::string& path, WriteMode mode) {
  const bool append = mode == WriteMode::kAppend;
  HANDLE h = CreateFileW(WidePath(path).c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                         FILE_SHARE_READ, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<HandleWriteFile>(h);
}

bool DeleteFileAt(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) != 0; }

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace quillow::platform
