// Usbprep: replaces the USB driver package of the recorders' interface unit through DPInst in the
// variant that suits the processor. Reads no arguments, prints three lines, always exits with 0.
#include <windows.h>

#include <string>
#include <string_view>

#include "RunPlan.h"
#include "ShellRun.h"
#include "kit/KitStartup.h"

namespace {

// WriteFile, so that the bytes arrive exactly as they stand also when standard output is a pipe
// or a file rather than a console.
void WriteLine(HANDLE output, std::string_view line) {
  DWORD written = 0;
  ::WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void ReplaceDriverPackage() {
  const std::wstring folder = usbprep::FolderOfModule(usbprep::OwnModuleFileName());
  // The folder is made current first, so that the DPInst names and "Package" resolve against it,
  // for the shell and for the programs it starts, wherever the program was started from. Should
  // this fail, the names resolve against whatever folder is current.
  ::SetCurrentDirectoryW(folder.c_str());

  const bool underWow64 = usbprep::IsRunningUnderWow64();
  const bool nativeIA64 = underWow64 && usbprep::IsNativeIA64();
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  for (const usbprep::Step& step : usbprep::PlanRun(underWow64, nativeIA64, folder)) {
    if (step.kind == usbprep::Step::Kind::Print) {
      WriteLine(output, step.line);
    } else {
      // A program that cannot start is skipped; neither that nor its exit code is reported.
      usbprep::ShellExecAndWait(step.file.c_str(), step.parameters.c_str(), nullptr, SW_SHOW);
    }
  }
}

}  // namespace

int main() {
  kit::HardenDllSearch();
  try {
    ReplaceDriverPackage();
  } catch (...) {
    // The installer relies on nothing that Usbprep returns: the exit code is 0 whatever happened.
  }
  return 0;
}
