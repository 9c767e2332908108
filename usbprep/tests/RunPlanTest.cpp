// The run of Usbprep on each processor architecture, from what the two queries answer.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "RunPlan.h"

namespace usbprep {

void PrintTo(const Step& step, std::ostream* out) {
  if (step.kind == Step::Kind::Print) {
    *out << "Print " << testing::PrintToString(std::string(step.line));
  } else {
    *out << "Run " << testing::PrintToString(step.file) << " "
         << testing::PrintToString(step.parameters);
  }
}

namespace {

Step Line(const char* text) {
  return Step{Step::Kind::Print, text, {}, {}};
}
Step Start(const wchar_t* file, const std::wstring& parameters) {
  return Step{Step::Kind::Run, {}, file, parameters};
}

// The three DPInst runs of one variant, with the lines between them.
std::vector<Step> DpinstRuns(const wchar_t* variant) {
  return {Line("removing old drivers ...\r\n"),
          Start(variant, L"/U Package\\ftdibus.inf /D /S"),
          Start(variant, L"/U Package\\ftdiport.inf /D /S"),
          Line("installing new drivers package ...\r\n"),
          Start(variant, L"/PATH Package /F /LM /SE"),
          Line("Done.\r\n")};
}

// 32-bit Windows: the compatibility layer for the DPInst32.exe of the folder comes first.
std::vector<Step> Windows32Run(const std::wstring& layerParameters) {
  std::vector<Step> steps{Start(L"REG.EXE", layerParameters)};
  const std::vector<Step> runs = DpinstRuns(L"DPInst32.exe");
  steps.insert(steps.end(), runs.begin(), runs.end());
  return steps;
}

struct ArchitectureCase {
  const char* name;
  bool underWow64;
  bool nativeIA64;
  std::wstring folder;
  std::vector<Step> expected;
};

TEST(PlanRun, FollowsTheArchitecture) {
  const ArchitectureCase cases[] = {
      {"x86", false, false, L"C:\\Virelta\\Usbprep\\",
       Windows32Run(L"ADD \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags"
                    L"\\Layers\" /v \"C:\\Virelta\\Usbprep\\DPInst32.exe\" /t REG_SZ /d "
                    L"\"WIN2000\" /f")},
      // Blanks and letters outside any one ANSI code page stay inside the quoted value name.
      {"x86, folder with blanks and non-ANSI letters", false, false,
       L"D:\\Program Files\\Вирельта Ωμέγα\\Usbprep\\",
       Windows32Run(L"ADD \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags"
                    L"\\Layers\" /v \"D:\\Program Files\\Вирельта Ωμέγα\\Usbprep\\DPInst32.exe\" "
                    L"/t REG_SZ /d \"WIN2000\" /f")},
      // Without IsWow64Process the Windows counts as 32-bit, whatever the processor reports.
      {"32-bit Windows answering IA64", false, true, L"\\\\server\\share\\Usbprep\\",
       Windows32Run(L"ADD \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags"
                    L"\\Layers\" /v \"\\\\server\\share\\Usbprep\\DPInst32.exe\" /t REG_SZ /d "
                    L"\"WIN2000\" /f")},
      {"x86, no folder", false, false, L"",
       Windows32Run(L"ADD \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags"
                    L"\\Layers\" /v \"DPInst32.exe\" /t REG_SZ /d \"WIN2000\" /f")},
      {"x64", true, false, L"C:\\Virelta\\Usbprep\\", DpinstRuns(L"DPInst64.exe")},
      {"x64, folder with blanks and non-ANSI letters", true, false,
       L"D:\\Program Files\\Вирельта Ωμέγα\\Usbprep\\", DpinstRuns(L"DPInst64.exe")},
      {"IA64", true, true, L"C:\\Virelta\\Usbprep\\", DpinstRuns(L"DPInstIA64.exe")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PlanRun(c.underWow64, c.nativeIA64, c.folder), c.expected);
  }
}

TEST(FolderOfModule, CutsAfterTheLastBackslashOrColon) {
  struct Case {
    std::wstring module;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"C:\\Virelta\\Usbprep\\Usbprep.exe", L"C:\\Virelta\\Usbprep\\"},
      {L"C:\\Usbprep.exe", L"C:\\"},
      {L"C:Usbprep.exe", L"C:"},
      {L"\\\\server\\share\\Usb prep\\Usbprep.exe", L"\\\\server\\share\\Usb prep\\"},
      {L"D:\\Вирельта Ωμέγα\\Usbprep.exe", L"D:\\Вирельта Ωμέγα\\"},
      {L"\\\\?\\C:\\Virelta\\Usbprep.exe", L"\\\\?\\C:\\Virelta\\"},
      {L"C:\\Virelta\\Usbprep\\", L"C:\\Virelta\\Usbprep\\"},
      {L"Usbprep.exe", L""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FolderOfModule(c.module), c.expected) << testing::PrintToString(c.module);
  }
}

}  // namespace
}  // namespace usbprep
