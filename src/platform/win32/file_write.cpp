#include "platform/win32/file_write.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/win32/text.h"

namespace quillow::platform {

namespace {

std::string SystemError(DWORD code) { return SystemErrorText(code); }

// Writes everything or gives the reason it could not: the system's code, or the disk
// full when a write took nothing and said nothing (a full volume ends in short writes
// that report success).
DWORD WriteAll(HANDLE h, std::string_view bytes) {
  constexpr size_t kChunk = 1 << 20;
  while (!bytes.empty()) {
    const DWORD n = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), n, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_HANDLE_DISK_FULL;
    bytes.remove_prefix(written);
  }
  return ERROR_SUCCESS;
}

// A read-only file is never written to (not every file system refuses it, e.g. for an
// administrator).
bool ReadOnly(const std::string& path, std::string& error) {
  const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
    return false;
  error = SystemError(ERROR_ACCESS_DENIED);
  return true;
}

}  // namespace

bool SafeFileWriter::Fail(unsigned long code) {
  error_ = SystemError(code);
  Abandon();
  return false;
}

bool SafeFileWriter::Open(const std::string& path, Mode mode) {
  Abandon();
  mode_ = mode;
  created_ = false;
  if (ReadOnly(path, error_)) return false;
  target_ = WidePath(path);
  HANDLE h = INVALID_HANDLE_VALUE;
  if (mode == Mode::kReplace) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
      temp_ = WidePath(path + ".~" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(counter++) + ".tmp");
      h = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
      if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (h == INVALID_HANDLE_VALUE) return Fail(GetLastError());
    file_ = h;
    return true;
  }
  h = CreateFileW(target_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Fail(GetLastError());
  created_ = GetLastError() != ERROR_ALREADY_EXISTS;
  file_ = h;
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(h, LARGE_INTEGER{}, &end, FILE_END)) return Fail(GetLastError());
  appendAt_ = end.QuadPart;
  return true;
}

bool SafeFileWriter::Write(std::string_view bytes) {
  if (!file_) return false;
  const DWORD code = WriteAll(file_, bytes);
  return code == ERROR_SUCCESS || Fail(code);
}

bool SafeFileWriter::Commit() {
  if (!file_) return false;
  if (!FlushFileBuffers(file_)) return Fail(GetLastError());
  HANDLE h = file_;
  file_ = nullptr;
  if (!CloseHandle(h)) {
    const DWORD code = GetLastError();
    // The handle is gone, but an append's bytes may be half there.
    if (mode_ == Mode::kReplace) DeleteFileW(temp_.c_str());
    return Fail(code);
  }
  if (mode_ == Mode::kReplace && !MoveFileExW(temp_.c_str(), target_.c_str(),
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    DeleteFileW(temp_.c_str());
    return Fail(code);
  }
  return true;
}

void SafeFileWriter::Abandon() {
  if (!file_) return;
  HANDLE h = file_;
  file_ = nullptr;
  if (mode_ == Mode::kReplace) {
    CloseHandle(h);
    DeleteFileW(temp_.c_str());
    return;
  }
  // What was there before stays; nothing of the half-written rows does.
  LARGE_INTEGER at{};
  at.QuadPart = appendAt_;
  if (SetFilePointerEx(h, at, nullptr, FILE_BEGIN)) SetEndOfFile(h);
  CloseHandle(h);
  if (created_) DeleteFileW(target_.c_str());
}

}  // namespace quillow::platform
