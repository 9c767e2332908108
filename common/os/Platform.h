#pragma once
// Every part of the seam to the operating system, as one program (or one test) sees it. The
// program's entry point makes the Win32 one (os/win32/Win32Platform.h); native tests make one
// of doubles (os/testing/MemoryPlatform.h). The parts are owned elsewhere; this only refers.
#include "os/Crypto.h"
#include "os/Display.h"
#include "os/FileSystem.h"
#include "os/Fonts.h"
#include "os/Locale.h"
#include "os/Process.h"
#include "os/Profile.h"
#include "os/Registry.h"
#include "os/Shell.h"
#include "os/ShellLink.h"
#include "os/System.h"
#include "os/Xml.h"

namespace os {

struct Platform {
  IFileSystem& fs;
  IProfile& profile;
  IDisplay& display;
  IShell& shell;
  ISystem& system;
  ILocale& locale;
  IEventLog& eventLog;
  IProcesses& processes;
  IXml& xml;
  IRegistry& registry;
  IShellLinks& shellLinks;
  IFonts& fonts;
  ICrypto& crypto;
};

}  // namespace os
