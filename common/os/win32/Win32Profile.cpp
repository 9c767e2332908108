#include "os/win32/Win32Profile.h"

#include <windows.h>

namespace os::win32 {

std::wstring Win32Profile::ReadString(const std::wstring& file, const std::wstring& section,
                                      const std::wstring& key, const std::wstring& defaultValue) {
  // A value that does not fit comes back cut to size - 1 characters. Wine cuts a quoted value
  // before it drops the quotes, so a cut one can be as short as size - 2: anything that long is
  // read again with twice the buffer.
  std::wstring buffer;
  DWORD size = 1024;
  for (;;) {
    buffer.resize(size);
    const DWORD length = ::GetPrivateProfileStringW(
        section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), size, file.c_str());
    if (length + 2 < size || size >= kMaxBufferSize) {
      buffer.resize(length);
      return buffer;
    }
    size *= 2;
  }
}

}  // namespace os::win32
