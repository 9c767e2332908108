#include "RunPlan.h"

#include <utility>

namespace usbprep {
namespace {

Step Print(std::string_view line) {
  return Step{Step::Kind::Print, line, {}, {}};
}

Step Run(std::wstring file, std::wstring parameters) {
  return Step{Step::Kind::Run, {}, std::move(file), std::move(parameters)};
}

// DPInst of 32-bit Windows runs under the Windows 2000 compatibility layer. The value name is the
// full path of the DPInst32.exe beside Usbprep; it stands in double quotes so that blanks in the
// folder keep it one name, and /f overwrites an existing value without a prompt.
std::wstring LayerParameters(std::wstring_view folder) {
  std::wstring parameters =
      L"ADD \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers\" "
      L"/v \"";
  parameters += folder;
  parameters += L"DPInst32.exe\" /t REG_SZ /d \"WIN2000\" /f";
  return parameters;
}

}  // namespace

std::wstring FolderOfModule(std::wstring_view moduleFileName) {
  const std::size_t separator = moduleFileName.find_last_of(L"\\:");
  if (separator == std::wstring_view::npos) {
    return {};
  }
  return std::wstring(moduleFileName.substr(0, separator + 1));
}

std::vector<Step> PlanRun(bool underWow64, bool nativeIA64, std::wstring_view folder) {
  std::vector<Step> steps;
  std::wstring dpinst;
  if (underWow64) {
    // Every 64-bit architecture other than Itanium takes the 64-bit variant.
    dpinst = nativeIA64 ? L"DPInstIA64.exe" : L"DPInst64.exe";
  } else {
    // 32-bit Windows, also one that lacks IsWow64Process.
    dpinst = L"DPInst32.exe";
    steps.push_back(Run(L"REG.EXE", LayerParameters(folder)));
  }
  steps.push_back(Print(kRemovingLine));
  steps.push_back(Run(dpinst, L"/U Package\\ftdibus.inf /D /S"));
  steps.push_back(Run(dpinst, L"/U Package\\ftdiport.inf /D /S"));
  steps.push_back(Print(kInstallingLine));
  steps.push_back(Run(dpinst, L"/PATH Package /F /LM /SE"));
  steps.push_back(Print(kDoneLine));
  return steps;
}

}  // namespace usbprep
