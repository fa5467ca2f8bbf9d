// Owning wrappers for system handles: one template, one small deleter per kind of handle.
// A wrapper closes what it holds exactly once (on reset, on assignment, at the end of its
// scope) and can be moved but not copied. COM interface pointers, which are counted rather
// than closed, have ComPtr.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shtypes.h>
#include <unknwn.h>

#include <utility>

namespace quillow::platform {

// `Deleter` gives `static void Close(T)` and `static T Invalid()`, the value that holds
// nothing (a null handle for most kinds, INVALID_HANDLE_VALUE for some).
template <typename T, typename Deleter>
class UniqueHandle {
 public:
  UniqueHandle() noexcept : handle_(Deleter::Invalid()) {}
  explicit UniqueHandle(T handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  T get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Deleter::Invalid(); }

  // Closes what is held and takes `handle` instead.
  void reset(T handle = Deleter::Invalid()) noexcept {
    const T old = std::exchange(handle_, handle);
    if (old != Deleter::Invalid()) Deleter::Close(old);
  }
  // Gives up ownership without closing.
  [[nodiscard]] T release() noexcept { return std::exchange(handle_, Deleter::Invalid()); }
  // Closes what is held and hands out the slot for a function that returns a new handle
  // through a pointer (RegOpenKeyExW, SHGetSpecialFolderLocation, ...).
  T* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  T handle_;
};

namespace handle_deleters {

template <typename T>
struct NullIsEmpty {
  static T Invalid() noexcept { return nullptr; }
};

template <typename T>
struct GdiObject : NullIsEmpty<T> {
  static void Close(T object) noexcept { DeleteObject(object); }
};
struct Menu : NullIsEmpty<HMENU> {
  static void Close(HMENU menu) noexcept { DestroyMenu(menu); }
};
struct Icon : NullIsEmpty<HICON> {
  static void Close(HICON icon) noexcept { DestroyIcon(icon); }
};
struct ImageList : NullIsEmpty<HIMAGELIST> {
  static void Close(HIMAGELIST list) noexcept { ImageList_Destroy(list); }
};
struct RegistryKey : NullIsEmpty<HKEY> {
  static void Close(HKEY key) noexcept { RegCloseKey(key); }
};
struct Module : NullIsEmpty<HMODULE> {
  static void Close(HMODULE module) noexcept { FreeLibrary(module); }
};
template <typename T>
struct TaskMemory : NullIsEmpty<T> {
  static void Close(T memory) noexcept { CoTaskMemFree(memory); }
};
struct FindHandle {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE find) noexcept { FindClose(find); }
};
// Files, as CreateFileW returns them.
struct FileHandle {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE file) noexcept { CloseHandle(file); }
};
// Threads, events and the other kernel objects that are null when absent.
struct KernelHandle : NullIsEmpty<HANDLE> {
  static void Close(HANDLE object) noexcept { CloseHandle(object); }
};

}  // namespace handle_deleters

using UniqueFont = UniqueHandle<HFONT, handle_deleters::GdiObject<HFONT>>;
using UniqueBitmap = UniqueHandle<HBITMAP, handle_deleters::GdiObject<HBITMAP>>;
using UniqueBrush = UniqueHandle<HBRUSH, handle_deleters::GdiObject<HBRUSH>>;
using UniqueMenu = UniqueHandle<HMENU, handle_deleters::Menu>;
using UniqueIcon = UniqueHandle<HICON, handle_deleters::Icon>;
using UniqueImageList = UniqueHandle<HIMAGELIST, handle_deleters::ImageList>;
using UniqueRegistryKey = UniqueHandle<HKEY, handle_deleters::RegistryKey>;
using UniqueModule = UniqueHandle<HMODULE, handle_deleters::Module>;
using UniquePidl = UniqueHandle<PIDLIST_ABSOLUTE, handle_deleters::TaskMemory<PIDLIST_ABSOLUTE>>;
using UniqueFindHandle = UniqueHandle<HANDLE, handle_deleters::FindHandle>;
using UniqueFile = UniqueHandle<HANDLE, handle_deleters::FileHandle>;
using UniqueKernelHandle = UniqueHandle<HANDLE, handle_deleters::KernelHandle>;

// A counted reference to a COM interface: AddRef on copy, Release when it lets go.
template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  // Takes over a reference the caller already holds (as creation functions return them).
  static ComPtr Adopt(T* pointer) noexcept {
    ComPtr p;
    p.pointer_ = pointer;
    return p;
  }
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr& other) noexcept : pointer_(other.pointer_) {
    if (pointer_) pointer_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }

  T* get() const noexcept { return pointer_; }
  T* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  void reset() noexcept {
    if (T* old = std::exchange(pointer_, nullptr)) old->Release();
  }
  [[nodiscard]] T* release() noexcept { return std::exchange(pointer_, nullptr); }
  // For functions that return a new reference through a pointer (CoCreateInstance, ...).
  T** put() noexcept {
    reset();
    return &pointer_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  // Another interface of the same object, or an empty pointer (and the failure in `result`).
  template <typename U>
  ComPtr<U> As(HRESULT* result = nullptr) const noexcept {
    ComPtr<U> other;
    const HRESULT hr =
        pointer_ ? pointer_->QueryInterface(__uuidof(U), other.put_void()) : E_POINTER;
    if (result) *result = hr;
    if (FAILED(hr)) other.reset();
    return other;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace quillow::platform
