#pragma once
// The seam for a dry run: a copy-on-write view of a computer. It reads the base's disk and
// registry and writes only into memory, starts no program (each start is reported instead and
// counts as ended with exit code 0), changes no font of the session and writes no event. The
// display, system, locale and profile are the base's, used for reading only; so is the
// cryptography, which changes nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "os/Platform.h"
#include "os/overlay/DryRunFonts.h"
#include "os/overlay/DryRunProcesses.h"
#include "os/overlay/DryRunShellLinks.h"
#include "os/overlay/OverlayFileSystem.h"
#include "os/overlay/OverlayRegistry.h"
#include "os/overlay/OverlayShell.h"
#include "os/overlay/OverlayXml.h"

namespace os::overlay {

// An event log that keeps nothing.
class SilentEventLog final : public IEventLog {
 public:
  bool Report(const std::wstring& /*source*/, std::uint16_t /*type*/, std::uint16_t /*category*/,
              std::uint32_t /*eventId*/, const std::vector<std::wstring>& /*strings*/) override {
    return true;
  }
};

class DryRunPlatform {
 public:
  DryRunPlatform(Platform& base, DryRunProcesses::StartReport report,
                 std::uint64_t keptBytes = OverlayFileSystem::kDefaultKeptBytes)
      : fs_(base.fs, keptBytes),
        registry_(base.registry),
        processes_(base.processes, fs_, std::move(report)),
        shell_(fs_),
        shellLinks_(base.shellLinks, fs_),
        fonts_(base.fonts, fs_),
        xml_(base.xml, fs_),
        platform_{
            .fs = fs_,
            .profile = base.profile,
            .display = base.display,
            .shell = shell_,
            .system = base.system,
            .locale = base.locale,
            .eventLog = eventLog_,
            .processes = processes_,
            .xml = xml_,
            .registry = registry_,
            .shellLinks = shellLinks_,
            .fonts = fonts_,
            .crypto = base.crypto,
        } {}
  DryRunPlatform(const DryRunPlatform&) = delete;
  DryRunPlatform& operator=(const DryRunPlatform&) = delete;

  Platform& Get() { return platform_; }
  OverlayFileSystem& Fs() { return fs_; }

 private:
  OverlayFileSystem fs_;
  OverlayRegistry registry_;
  DryRunProcesses processes_;
  OverlayShell shell_;
  DryRunShellLinks shellLinks_;
  DryRunFonts fonts_;
  OverlayXml xml_;
  SilentEventLog eventLog_;
  Platform platform_;
};

}  // namespace os::overlay
