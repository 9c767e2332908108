#pragma once
// The real seam of one program: every Win32 part, owned here, and the Platform that refers to
// them. A program's entry point makes one and hands Get() to the shared units and the engine.
#include "os/Platform.h"
#include "os/win32/Win32Crypto.h"
#include "os/win32/Win32Display.h"
#include "os/win32/Win32EventLog.h"
#include "os/win32/Win32FileSystem.h"
#include "os/win32/Win32Fonts.h"
#include "os/win32/Win32Locale.h"
#include "os/win32/Win32Processes.h"
#include "os/win32/Win32Profile.h"
#include "os/win32/Win32Registry.h"
#include "os/win32/Win32Shell.h"
#include "os/win32/Win32ShellLinks.h"
#include "os/win32/Win32System.h"
#include "os/win32/Win32Xml.h"

namespace os::win32 {

class Win32Platform {
 public:
  Win32Platform() = default;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& Get() { return platform_; }

 private:
  Win32FileSystem fs_;
  Win32Profile profile_;
  Win32Display display_;
  Win32Shell shell_;
  Win32System system_;
  Win32Locale locale_;
  Win32EventLog eventLog_;
  Win32Processes processes_;
  Win32Xml xml_;
  Win32Registry registry_;
  Win32ShellLinks shellLinks_;
  Win32Fonts fonts_;
  Win32Crypto crypto_;
  Platform platform_{fs_,        profile_, display_,  shell_,      system_, locale_, eventLog_,
                     processes_, xml_,     registry_, shellLinks_, fonts_,  crypto_};
};

}  // namespace os::win32
