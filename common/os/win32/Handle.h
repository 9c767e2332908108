#pragma once
// Owners of Win32 handles: each closes its handle when it goes out of scope, also when an
// exception passes through.
#include <windows.h>

#include <utility>

namespace os::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset(std::exchange(other.handle_, Traits::Invalid()));
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Type Get() const { return handle_; }
  bool Valid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return Valid(); }
  // Gives the handle up without closing it.
  Type Release() { return std::exchange(handle_, Traits::Invalid()); }
  void Reset(Type handle = Traits::Invalid()) {
    if (Valid()) {
      Traits::Close(handle_);
    }
    handle_ = handle;
  }

 private:
  Type handle_ = Traits::Invalid();
};

// Handles from CreateFileW and friends (invalid: INVALID_HANDLE_VALUE).
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};
// Handles whose failure value is null (processes, threads, events, tokens).
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::FindClose(h); }
};

// Any handle whose failure value is null, closed by the function `close`: one line per kind,
// `using Icon = UniqueAny<HICON, &::DestroyIcon>;`.
template <typename T, auto close>
struct NullHandleTraits {
  using Type = T;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { close(h); }
};
template <typename T, auto close>
using UniqueAny = UniqueHandle<NullHandleTraits<T, close>>;

using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;

}  // namespace os::win32
