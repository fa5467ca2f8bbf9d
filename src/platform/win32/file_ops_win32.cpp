#include <windows.h>

#include "platform/file_ops.h"
#include "platform/win32/text.h"

namespace quillow::platform {

namespace {

class DenyWriteReadFile final : public ReadFile {
 public:
  DenyWriteReadFile(HANDLE h, uint64_t length) : h_(h), length_(length) {}
  ~DenyWriteReadFile() override { CloseHandle(h_); }
  DenyWriteReadFile(const DenyWriteReadFile&) = delete;
  DenyWriteReadFile& operator=(const DenyWriteReadFile&) = delete;

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

std::string FolderFrom(UINT (*get)(LPWSTR, UINT)) {
  wchar_t buf[MAX_PATH + 1];
  UINT n = get(buf, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return {};
  return Narrow(std::wstring_view(buf, n));
}

UINT SystemDirectory(LPWSTR buf, UINT n) { return GetSystemDirectoryW(buf, n); }
UINT WindowsDirectory(LPWSTR buf, UINT n) { return GetWindowsDirectoryW(buf, n); }

}  // namespace

bool FileExists(const std::string& path) {
  DWORD attr = GetFileAttributesW(WidePath(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<ReadFile> OpenForReadingDenyWrite(const std::string& path) {
  HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<DenyWriteReadFile>(h, static_cast<uint64_t>(size.QuadPart));
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool CopyModificationTime(const std::string& from, const std::string& to) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WidePath(from).c_str(), GetFileExInfoStandard, &data)) return false;
  HANDLE h = CreateFileW(WidePath(to).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(h, nullptr, nullptr, &data.ftLastWriteTime) != 0;
  CloseHandle(h);
  return ok;
}

std::string SystemFolder() { return FolderFrom(SystemDirectory); }
std::string WindowsFolder() { return FolderFrom(WindowsDirectory); }

}  // namespace quillow::platform
