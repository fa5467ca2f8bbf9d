#include "platform/win32/file_write.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/win32/text.h"

namespace quillow::platform {

namespace {

std::string SystemError(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = n ? Narrow(std::wstring_view(text, n)) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  if (message.empty()) message = "System error " + std::to_string(code);
  return message + ".";
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    const bool ok = !valid() || CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE h, std::string_view bytes) {
  constexpr size_t kChunk = 1 << 20;
  while (!bytes.empty()) {
    const DWORD n = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), n, &written, nullptr) || written != n) return false;
    bytes.remove_prefix(n);
  }
  return true;
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

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& error) {
  if (ReadOnly(path, error)) return false;
  static std::atomic<unsigned> counter{0};
  std::wstring temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    temp = WidePath(path + ".~" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(counter++) + ".tmp");
    h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  Handle file(h);
  if (!file.valid()) {
    error = SystemError(GetLastError());
    return false;
  }
  const bool written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  const DWORD code = GetLastError();
  if (!file.Close() || !written) {
    error = SystemError(written ? GetLastError() : code);
    DeleteFileW(temp.c_str());
    return false;
  }
  if (!MoveFileExW(temp.c_str(), WidePath(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = SystemError(GetLastError());
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

bool AppendToFile(const std::string& path, std::string_view bytes, std::string& error) {
  if (ReadOnly(path, error)) return false;
  Handle file(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    error = SystemError(GetLastError());
    return false;
  }
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END)) {
    error = SystemError(GetLastError());
    return false;
  }
  if (!WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
    error = SystemError(GetLastError());
    // What was there before stays; nothing of the half-written rows does.
    if (SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN)) SetEndOfFile(file.get());
    return false;
  }
  if (!file.Close()) {
    error = SystemError(GetLastError());
    return false;
  }
  return true;
}

}  // namespace quillow::platform
