#pragma once
// The sample installation medium of this build, for Windows tests that install from it. Link
// virelta_sample_medium: the medium is made before the test program is built.
#include <string>

#include "os/testing/FileHelpers.h"

namespace medium {

// The medium's folder as a Windows program sees it under Wine (the Linux root is drive Z:),
// ending in "\".
inline std::wstring SampleMediumFolder() {
  std::wstring folder = os::testing::WinePathOfBuildFile(VIRELTA_SAMPLE_MEDIUM_DIR);
  if (folder.empty() || folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}

}  // namespace medium
