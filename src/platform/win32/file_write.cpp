#include "platform/win32/file_write.h"

#include <windows.h>

#include <algorithm>

#include "platform/temp_beside.h"
#include "platform/win32/text.h"
#include "platform/win32/write_all.h"

namespace quillow::platform {

namespace {

std::string SystemError(DWORD code) { return SystemErrorText(code); }

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
    TakeTempNameBeside(path, [&](const std::string& name) {
      temp_ = WidePath(name);
      h = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
      return h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS;
    });
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
  constexpr size_t kPiece = 1 << 20;
  const DWORD code = WriteAll(file_, bytes.data(), bytes.size(), nullptr, kPiece);
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
