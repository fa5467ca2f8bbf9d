#include <windows.h>

#include "platform/file_ops.h"
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
