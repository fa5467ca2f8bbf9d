// The core's file system on Windows: the wide functions, so names in any script work, and
// "\\?\" paths for absolute paths past the classic length limit.
#include <windows.h>

#include <algorithm>

#include "zip/zip_fs.h"

namespace quillow::zip {

namespace {

std::wstring Widen(const std::string& s) {
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

std::wstring WidePath(const std::string& path) {
  std::wstring w = Widen(path);
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  if (w.size() >= MAX_PATH - 12 && w.compare(0, 4, L"\\\\?\\") != 0) {
    if (w.size() > 2 && w[1] == L':' && w[2] == L'\\') return L"\\\\?\\" + w;
    if (w.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + w.substr(2);
  }
  return w;
}

DosDateTime ToDos(const FILETIME& utc) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return (1 << 21) | (1 << 16);
  return static_cast<DosDateTime>(date) << 16 | time;
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

class WinInput final : public InputFile {
 public:
  WinInput(HANDLE h, uint64_t length) : h_(h), length_(length) {}
  uint64_t Length() const override { return length_; }
  size_t ReadAt(uint64_t offset, void* dst, size_t n) override {
    size_t done = 0;
    while (done < n) {
      OVERLAPPED ov{};
      ov.Offset = static_cast<DWORD>(offset + done);
      ov.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
      const DWORD want = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30));
      DWORD got = 0;
      if (!::ReadFile(h_.get(), static_cast<char*>(dst) + done, want, &got, &ov) || got == 0) break;
      done += got;
    }
    return done;
  }

 private:
  Handle h_;
  uint64_t length_;
};

class WinOutput final : public OutputFile {
 public:
  explicit WinOutput(HANDLE h) : h_(h) {}
  bool WriteAt(uint64_t offset, const void* data, size_t n) override {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
      OVERLAPPED ov{};
      ov.Offset = static_cast<DWORD>(offset);
      ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
      const DWORD want = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
      DWORD put = 0;
      if (!::WriteFile(h_.get(), p, want, &put, &ov) || put == 0) return false;
      p += put;
      n -= put;
      offset += put;
    }
    return true;
  }
  bool Finish(uint64_t length) override {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(length);
    return SetFilePointerEx(h_.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(h_.get());
  }
  bool Sync() override { return FlushFileBuffers(h_.get()) != 0; }

 private:
  Handle h_;
};

class WinFileSystem final : public FileSystem {
 public:
  char Separator() const override { return '\\'; }
  std::string CurrentFolder() override {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring w(n, L'\0');
    const DWORD got = GetCurrentDirectoryW(n, w.data());
    w.resize(got);
    return Narrow(w);
  }
  std::optional<FileInfo> Stat(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &d))
      return std::nullopt;
    FileInfo info;
    info.isDirectory = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.hidden = (d.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    info.size = static_cast<uint64_t>(d.nFileSizeHigh) << 32 | d.nFileSizeLow;
    info.modified = ToDos(d.ftLastWriteTime);
    return info;
  }
  std::vector<FolderItem> List(const std::string& folder) override {
    std::vector<FolderItem> items;
    std::wstring pattern = WidePath(folder.empty() ? "." : folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return items;
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      items.push_back(
          FolderItem{Narrow(name), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return items;
  }
  std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) {
      CloseHandle(h);
      return nullptr;
    }
    return std::make_unique<WinInput>(h, static_cast<uint64_t>(size.QuadPart));
  }
  std::unique_ptr<OutputFile> CreateNew(const std::string& path) override {
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WinOutput>(h);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  bool Remove(const std::string& path) override { return DeleteFileW(WidePath(path).c_str()) != 0; }
  bool MakeFolder(const std::string& path) override {
    return CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0;
  }
  bool SetModified(const std::string& path, DosDateTime when) override {
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(static_cast<WORD>(when >> 16), static_cast<WORD>(when & 0xFFFF),
                               &local) ||
        !LocalFileTimeToFileTime(&local, &utc))
      return false;
    Handle h(CreateFileW(WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h.ok() && SetFileTime(h.get(), nullptr, nullptr, &utc);
  }
  std::string RealPath(const std::string& path) override {
    Handle h(CreateFileW(WidePath(path).c_str(), 0,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return std::string();
    std::wstring w(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h.get(), w.data(), static_cast<DWORD>(w.size()),
                                              FILE_NAME_NORMALIZED);
    if (n == 0 || n >= w.size()) return std::string();
    w.resize(n);
    return Narrow(w);
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WinFileSystem fs;
  return fs;
}

}  // namespace quillow::zip
