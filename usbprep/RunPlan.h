#pragma once
// What Usbprep does, in order, as a function of what the two architecture queries answered and
// of its own folder. Portable, so that every architecture's run can be checked on any machine.
#include <string>
#include <string_view>
#include <vector>

namespace usbprep {

// The console lines, each with its CR LF, written as they stand.
inline constexpr std::string_view kRemovingLine = "removing old drivers ...\r\n";
inline constexpr std::string_view kInstallingLine = "installing new drivers package ...\r\n";
inline constexpr std::string_view kDoneLine = "Done.\r\n";

struct Step {
  enum class Kind { Print, Run };
  Kind kind = Kind::Print;
  // Print: the console line.
  std::string_view line;
  // Run: the program as the shell looks it up (relative names resolve against the own folder,
  // which is current by then), and its parameter text.
  std::wstring file;
  std::wstring parameters;

  friend bool operator==(const Step&, const Step&) = default;
};

// The folder of the program's module file name, cut after its last "\" or ":" so that the
// separator stays; empty when the name has neither.
std::wstring FolderOfModule(std::wstring_view moduleFileName);

// The whole run. underWow64: IsWow64Process reported true (64-bit Windows); nativeIA64: the
// native processor is an Itanium. folder: the result of FolderOfModule.
std::vector<Step> PlanRun(bool underWow64, bool nativeIA64, std::wstring_view folder);

}  // namespace usbprep
