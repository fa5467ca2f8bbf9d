#include <windows.h>

#include "platform/file_ops.h"
#include "platform/win32/file_time.h"
#include "platform/win32/handles.h"
#include "platform/win32/read_file.h"
#include "platform/win32/text.h"

namespace quillow::platform {

namespace {

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

std::optional<PathInfo> StatPath(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &d)) return std::nullopt;
  PathInfo info;
  info.isDirectory = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.hidden = (d.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
  info.isLink = (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  info.size = static_cast<uint64_t>(d.nFileSizeHigh) << 32 | d.nFileSizeLow;
  FileTimeToDos(d.ftLastWriteTime, info.dosDate, info.dosTime);
  return info;
}

bool ListFolderNames(const std::string& folder, std::vector<FolderName>& names) {
  names.clear();
  std::wstring pattern = WidePath(folder.empty() ? "." : folder);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW fd;
  const UniqueFindHandle h(FindFirstFileW(pattern.c_str(), &fd));
  if (!h) return false;
  do {
    const std::wstring_view name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    // A junction or link to a folder carries the directory bit itself.
    names.push_back(
        FolderName{Narrow(name), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(h.get(), &fd));
  return true;
}

std::string RealPath(const std::string& path) {
  const UniqueFile h(CreateFileW(WidePath(path).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) return std::string();
  std::wstring w(32768, L'\0');
  const DWORD n = GetFinalPathNameByHandleW(h.get(), w.data(), static_cast<DWORD>(w.size()),
                                            FILE_NAME_NORMALIZED);
  if (n == 0 || n >= w.size()) return std::string();
  w.resize(n);
  return Narrow(w);
}

std::unique_ptr<ReadFile> OpenForReadingDenyWrite(const std::string& path) {
  return OpenDiskFileForReading(path, FILE_SHARE_READ);
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool CopyModificationTime(const std::string& from, const std::string& to) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WidePath(from).c_str(), GetFileExInfoStandard, &data)) return false;
  const UniqueFile h(CreateFileW(WidePath(to).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return h && SetFileTime(h.get(), nullptr, nullptr, &data.ftLastWriteTime) != 0;
}

std::string SystemFolder() { return FolderFrom(SystemDirectory); }
std::string WindowsFolder() { return FolderFrom(WindowsDirectory); }

}  // namespace quillow::platform
