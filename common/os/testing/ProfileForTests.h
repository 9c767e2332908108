#pragma once
// The settings-file seam a portable test reads through: natively a MemoryProfile over the test
// environment's file system, under Wine the real Win32Profile. Each build's virelta_os_testing
// holds one definition (MemoryProfile.cpp natively, Win32TestProfile.cpp on Windows).
#include <memory>

#include "os/Profile.h"
#include "os/testing/TestEnvironment.h"

namespace os::testing {

std::unique_ptr<IProfile> MakeTestProfile(TestEnvironment& env);

}  // namespace os::testing
