#include "platform/win32/text.h"

#include <windows.h>

#include "platform/code_page.h"

namespace quillow::platform {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  // Strict: without MB_ERR_INVALID_CHARS bad bytes would quietly become U+FFFD.
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                              static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) {
    // Not UTF-8: the bytes are taken as the ANSI code page, as the classic API would.
    n = MultiByteToWideChar(CP_ACP, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
  }
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

std::wstring WidePath(const std::string& path) {
  std::wstring w = Widen(path);
  if (w.size() < MAX_PATH - 12 || w.rfind(L"\\\\?\\", 0) == 0) return w;
  auto onDrive = [](const std::wstring& p) {
    return p.size() >= 3 && p[1] == L':' && p[2] == L'\\';
  };
  auto onShare = [](const std::wstring& p) {
    return p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\';
  };
  // A long relative path is made whole first: the prefix takes full paths only.
  if (!onDrive(w) && !onShare(w)) {
    const DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    std::wstring whole(n, L'\0');
    const DWORD got = n ? GetFullPathNameW(w.c_str(), n, whole.data(), nullptr) : 0;
    if (got == 0 || got >= n) return w;
    whole.resize(got);
    w = std::move(whole);
  }
  if (onDrive(w)) return L"\\\\?\\" + w;
  if (onShare(w)) return L"\\\\?\\UNC\\" + w.substr(2);
  return w;
}

std::string SystemErrorText(unsigned long code) {
  // Some versions word this one "Disk full."; the user gets the same sentence everywhere.
  if (code == ERROR_HANDLE_DISK_FULL) return "The disk is full.";
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

}  // namespace quillow::platform

namespace quillow::platform {

std::optional<std::string> AnsiToUtf8(std::string_view bytes) {
  const int len = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), len, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), len, wide.data(), n);
  return Narrow(wide);
}

}  // namespace quillow::platform
