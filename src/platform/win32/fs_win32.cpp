// File system for Windows: the wide functions throughout, long paths through "\\?\".
#include <windows.h>

#include "platform/fs.h"
#include "platform/win32/file_time.h"
#include "platform/win32/handles.h"
#include "platform/win32/read_file.h"
#include "platform/win32/text.h"
#include "platform/win32/write_all.h"

namespace quillow::platform {

namespace {

class HandleReadFile final : public ReadFile {
 public:
  HandleReadFile(UniqueFile h, uint64_t length) : h_(std::move(h)), length_(length) {}

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
      if (!::ReadFile(h_.get(), static_cast<char*>(dst) + done, want, &got, &ov) || got == 0) break;
      done += got;
    }
    return done;
  }

 private:
  UniqueFile h_;
  uint64_t length_;
};

class HandleWriteFile final : public WriteFile {
 public:
  explicit HandleWriteFile(UniqueFile h) : h_(std::move(h)) {}

  bool Write(const void* data, size_t n) override {
    const DWORD code = WriteAll(h_.get(), data, n);
    if (code != ERROR_SUCCESS) error_ = SystemErrorText(code);
    return code == ERROR_SUCCESS;
  }
  std::string Error() const override { return error_; }

 private:
  UniqueFile h_;
  std::string error_;
};

}  // namespace

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

bool DosToFileTime(uint16_t dosDate, uint16_t dosTime, FILETIME& utc) {
  FILETIME local;
  return DosDateTimeToFileTime(dosDate, dosTime, &local) && LocalFileTimeToFileTime(&local, &utc);
}

int64_t DosToUnixTime(uint16_t dosDate, uint16_t dosTime) {
  FILETIME utc{};
  if (!DosToFileTime(dosDate, dosTime, utc)) return 0;
  const uint64_t ticks = uint64_t{utc.dwHighDateTime} << 32 | utc.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

DWORD WriteAll(HANDLE h, const void* data, size_t n, const uint64_t* offset, size_t piece) {
  const char* p = static_cast<const char*>(data);
  uint64_t at = offset ? *offset : 0;
  while (n > 0) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(at);
    ov.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD want = static_cast<DWORD>(std::min(n, piece));
    DWORD put = 0;
    // A write that took nothing and said nothing leaves a stale code behind.
    if (!::WriteFile(h, p, want, &put, offset ? &ov : nullptr)) return GetLastError();
    if (put == 0) return ERROR_HANDLE_DISK_FULL;
    p += put;
    n -= put;
    at += put;
  }
  return ERROR_SUCCESS;
}

void UnixTimeToDos(int64_t seconds, uint16_t& dosDate, uint16_t& dosTime) {
  // 100-ns intervals since 1601.
  const uint64_t ticks = static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL;
  FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  FileTimeToDos(ft, dosDate, dosTime);
}

// Windows has no handle to open a folder's entries relative to: every step goes by the full
// path, which "\\?\" makes as long as the file system allows.
struct StartFolder::State {};

StartFolder::StartFolder() : path_(CurrentFolder()), state_(std::make_unique<State>()) {}
StartFolder::StartFolder(const std::string& path)
    : path_(path), state_(std::make_unique<State>()) {}
StartFolder::~StartFolder() = default;

std::string StartFolder::Resolve(const std::string& entry) const {
  std::string_view rest = entry;
  // ".\" steps name the start folder itself; the path text does not repeat them.
  while (rest == "." || (rest.size() >= 2 && rest[0] == '.' && IsSeparator(rest[1]))) {
    rest.remove_prefix(rest.size() == 1 ? 1 : 2);
    while (!rest.empty() && IsSeparator(rest[0])) rest.remove_prefix(1);
  }
  if (rest.empty()) return path_;
  return AbsolutePath(path_, std::string(rest));
}

struct FolderListing::State {
  std::string folder;
};

FolderListing::FolderListing() : state_(std::make_unique<State>()) {}
FolderListing::~FolderListing() = default;
void FolderListing::Park() {}
bool FolderListing::Resume(const FolderListing&) { return true; }

namespace {
// The sentence without its full stop: it is followed by more of the message.
std::string LastErrorText() {
  std::string out = SystemErrorText(GetLastError());
  out.pop_back();
  return out;
}
}  // namespace

namespace {
// Every step goes by the full path, so the walk never makes a folder current: a relative
// Look-in entry must mean the same folder in every search.
bool IsFolder(const std::string& folder, std::string& error) {
  const DWORD attributes = GetFileAttributesW(WidePath(folder).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  if (attributes != INVALID_FILE_ATTRIBUTES) SetLastError(ERROR_DIRECTORY);
  error = LastErrorText();
  return false;
}
}  // namespace

bool FolderListing::Enter(const StartFolder& start, const std::string& folder) {
  entries.clear();
  state_->folder = start.Resolve(folder);
  return IsFolder(state_->folder, error_);
}

bool FolderListing::EnterSub(const FolderListing& parent, const std::string& name) {
  entries.clear();
  state_->folder = JoinPath(parent.state_->folder, name);
  return IsFolder(state_->folder, error_);
}

bool FolderListing::Read(const std::function<bool()>& stop) {
  entries.clear();
  const std::string& folder = state_->folder;
  WIN32_FIND_DATAW fd;
  const std::wstring pattern = WidePath(JoinPath(folder, "*"));
  const UniqueFindHandle h(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd,
                                            FindExSearchNameMatch, nullptr,
                                            FIND_FIRST_EX_LARGE_FETCH));
  if (!h) {
    error_ = LastErrorText();
    return false;
  }
  do {
    DirEntry e;
    e.name = Narrow(fd.cFileName);
    e.attributes = fd.dwFileAttributes;
    e.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.isRegularFile = !e.isDirectory;
    e.size = e.isDirectory ? 0 : fd.nFileSizeLow;
    FileTimeToDos(fd.ftLastWriteTime, e.dosDate, e.dosTime);
    e.hasDetails = true;
    // A junction or directory link is listed but never entered: it can lead back up the
    // tree. The find data carries the reparse tag.
    if (e.isDirectory && (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        IsLinkReparseTag(fd.dwReserved0))
      e.isDirectory = false;
    entries.push_back(std::move(e));
    if (stop && entries.size() % 512 == 0 && stop()) break;
  } while (FindNextFileW(h.get(), &fd));
  return true;
}

std::unique_ptr<ReadFile> FolderListing::Open(DirEntry& entry) const {
  if (!entry.isRegularFile) return nullptr;
  return OpenForReading(JoinPath(state_->folder, entry.name));
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
  return JoinPath(base, path);
}

std::string ExecutablePath() {
  std::wstring buf(32768, L'\0');
  buf.resize(GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size())));
  return Narrow(buf);
}

std::string ExecutableFolder() {
  std::string path = ExecutablePath();
  const size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos) path.resize(slash);
  return path;
}

std::unique_ptr<ReadFile> OpenDiskFileForReading(const std::string& path, DWORD share) {
  UniqueFile h(CreateFileW(WidePath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!h || GetFileType(h.get()) != FILE_TYPE_DISK || !GetFileSizeEx(h.get(), &size))
    return nullptr;
  return std::make_unique<HandleReadFile>(std::move(h), static_cast<uint64_t>(size.QuadPart));
}

std::unique_ptr<ReadFile> OpenForReading(const std::string& path) {
  return OpenDiskFileForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

std::unique_ptr<WriteFile> OpenForWriting(const std::string& path, WriteMode mode) {
  const bool append = mode == WriteMode::kAppend;
  UniqueFile h(CreateFileW(WidePath(path).c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                           FILE_SHARE_READ, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return nullptr;
  return std::make_unique<HandleWriteFile>(std::move(h));
}

bool DeleteFileAt(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) != 0; }

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace quillow::platform
