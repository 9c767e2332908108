// Under Windows the tests read settings files through the real profile functions.
#ifdef _WIN32
#include "os/testing/ProfileForTests.h"
#include "os/win32/Win32Profile.h"

namespace os::testing {

std::unique_ptr<IProfile> MakeTestProfile(TestEnvironment& /*env*/) {
  return std::make_unique<win32::Win32Profile>();
}

}  // namespace os::testing
#endif
