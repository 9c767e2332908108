#pragma once
// COM for the calling thread, single-threaded (as a window program's main thread has it), from
// construction to destruction: uninitialised again only when this object initialised it.
#include <objbase.h>
#include <windows.h>

namespace os::win32 {

class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialized_) {
      ::CoUninitialize();
    }
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  // False when the thread's COM was set up otherwise before (multi-threaded, say).
  bool Initialized() const { return initialized_; }

 private:
  bool initialized_;
};

}  // namespace os::win32
