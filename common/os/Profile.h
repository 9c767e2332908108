#pragma once
// The settings-file seam: Windows' profile functions, which read one key of an INI file.
#include <string>

namespace os {

class IProfile {
 public:
  virtual ~IProfile() = default;
  // GetPrivateProfileStringW: the value of `key` in `section` of `file` (sections and keys
  // without letter case, blanks around the value dropped, the first of two equal keys), or
  // `defaultValue` when the file, the section or the key is missing. The file is only read.
  virtual std::wstring ReadString(const std::wstring& file, const std::wstring& section,
                                  const std::wstring& key, const std::wstring& defaultValue) = 0;
};

}  // namespace os
