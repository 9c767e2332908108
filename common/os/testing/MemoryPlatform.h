#pragma once
// A whole seam of doubles for native tests: the in-memory file system, and the profile and shell
// working on it, a scripted display, system and clock, a recording event log and real SHA-256.
// Tests reach each double by name to script it or read what it recorded.
#include "os/Platform.h"
#include "os/testing/FakeDisplay.h"
#include "os/testing/FakeEventLog.h"
#include "os/testing/FakeFonts.h"
#include "os/testing/FakeLocale.h"
#include "os/testing/FakeProcesses.h"
#include "os/testing/FakeShell.h"
#include "os/testing/FakeShellLinks.h"
#include "os/testing/FakeSystem.h"
#include "os/testing/MemoryFileSystem.h"
#include "os/testing/MemoryProfile.h"
#include "os/testing/MemoryRegistry.h"
#include "os/testing/MemoryXml.h"
#include "os/testing/TestCrypto.h"

namespace os::testing {

class MemoryPlatform {
 public:
  MemoryPlatform() = default;
  MemoryPlatform(const MemoryPlatform&) = delete;
  MemoryPlatform& operator=(const MemoryPlatform&) = delete;

  Platform& Get() { return platform_; }

  MemoryFileSystem fs;
  MemoryProfile profile{fs};
  FakeDisplay display;
  FakeShell shell{fs};
  FakeSystem system;
  FakeLocale locale;
  FakeEventLog eventLog;
  FakeProcesses processes{fs};
  MemoryXml xml{fs};
  MemoryRegistry registry;
  FakeShellLinks shellLinks{fs};
  FakeFonts fonts;
  TestCrypto crypto;

 private:
  Platform platform_{fs,        profile, display,  shell,      system, locale, eventLog,
                     processes, xml,     registry, shellLinks, fonts,  crypto};
};

}  // namespace os::testing
