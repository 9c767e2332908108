#pragma once
#include "os/Profile.h"

namespace os::win32 {

// The settings-file seam on GetPrivateProfileStringW. A value is read whole: the buffer grows
// until the value fits, up to kMaxBufferSize characters; only a value longer than that is cut,
// to kMaxBufferSize - 1 characters (no settings or language file comes anywhere near it).
class Win32Profile final : public IProfile {
 public:
  static constexpr unsigned kMaxBufferSize = 1u << 20;

  std::wstring ReadString(const std::wstring& file, const std::wstring& section,
                          const std::wstring& key, const std::wstring& defaultValue) override;
};

}  // namespace os::win32
