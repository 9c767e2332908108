#pragma once
// The sample installation medium of this build, for tests that install from it. Link
// virelta_sample_medium: the medium is made before the test program is built.
#include <string>

#include "text/Utf.h"

namespace medium {

// The medium's folder as a Windows program sees it under Wine (the Linux root is drive Z:),
// ending in "\".
inline std::wstring SampleMediumFolder() {
  std::wstring folder = L"Z:" + text::FromUtf8(VIRELTA_SAMPLE_MEDIUM_DIR);
  for (wchar_t& c : folder) {
    c = c == L'/' ? L'\\' : c;
  }
  if (folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}

}  // namespace medium
