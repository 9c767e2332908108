// The steps of an installation run after its copy phase, on the seam's doubles: the fonts, the
// driver question and the driver package installer, the release sets and the updater's files,
// the release step and the desktop shortcut, and what each failure does to the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "InstallationFixture.h"
#include "TestStrings.h"
#include "engine/FileOperations.h"
#include "engine/Fonts.h"
#include "engine/Installation.h"
#include "engine/MediumCopy.h"
#include "engine/PackageLayout.h"
#include "engine/ProgramLaunch.h"
#include "engine/ProgressLines.h"
#include "engine/ReleaseSet.h"
#include "os/testing/FileHelpers.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::testing::ReadBytes;
using os::testing::WriteBytes;
using Lines = std::vector<std::wstring>;

const std::wstring kProductName = text::FromUtf8(VR_TEST_PRODUCT_NAME);
const std::wstring kDescription = text::FromUtf8(VR_TEST_PRODUCT_DESCRIPTION);
const std::wstring kDriverStarted(lines::kDriverStarted);
const std::wstring kDriverFinished(lines::kDriverFinished);
const std::wstring kQuestion = L"Confirm " + std::wstring(lines::kDriverQuestion);
const std::wstring kLastCopyLine =
    lines::CopyingFile(L"VrReportUdf.Dll") + std::wstring(lines::kDone);

class FinishingStepsTest : public testing::InstallationFixture {
 protected:
  void SetUp() override {
    InstallationFixture::SetUp();
    doubles().system.SetModuleFileName(medium_ + L"Install.exe");
    ASSERT_EQ(fs().CreateFolder(L"C:\\Windows"), 0u);
    ASSERT_EQ(fs().CreateFolder(L"C:\\Windows\\Fonts"), 0u);
    os::ErrorCode error = 0;  // where Windows registers its fonts: always there
    ASSERT_TRUE(doubles().registry.CreateKey(os::RegistryRoot::kLocalMachine,
                                             std::wstring(kFontsKey), os::keyaccess::kAllAccess,
                                             error));
  }

  os::testing::MemoryPlatform& doubles() { return platform_.Doubles(); }
  std::wstring DesktopLink() {
    return std::wstring(testing::TestPlatform::kDesktop) + L"\\" + kProductName + L".lnk";
  }

  // The driver package as a medium holds it: the installer and a package file below it.
  void AddDriverPackage() {
    ASSERT_EQ(fs().CreateFolder(medium_ + L"Usbprep"), 0u);
    ASSERT_EQ(fs().CreateFolder(medium_ + L"Usbprep\\Package"), 0u);
    WriteBytes(fs(), medium_ + L"Usbprep\\Usbprep.exe", "the driver package installer");
    WriteBytes(fs(), medium_ + L"Usbprep\\Package\\device.inf", "[Version]");
  }

  // The progress lines after the copy phase's last file.
  Lines FinishingLines() const {
    const auto last = std::find(progress_.lines.begin(), progress_.lines.end(), kLastCopyLine);
    EXPECT_NE(last, progress_.lines.end()) << "the copy phase did not complete";
    return last == progress_.lines.end() ? Lines{} : Lines(last + 1, progress_.lines.end());
  }
  // The calls to the progress interface after the busy region.
  Lines CallsAfterBusyRegion() const {
    const auto left =
        std::find(progress_.calls.begin(), progress_.calls.end(), std::wstring(L"SetBusy false"));
    return left == progress_.calls.end() ? Lines{} : Lines(left + 1, progress_.calls.end());
  }
  std::optional<std::string> ReleaseLevelWritten() {
    const auto info = ReadBytes(fs(), Target(L"ReleaseInfo"));
    if (!info) {
      return std::nullopt;
    }
    const auto begin = info->find("<Level>");
    const auto end = info->find("</Level>");
    if (begin == std::string::npos || end == std::string::npos) {
      return std::nullopt;
    }
    return info->substr(begin + 7, end - begin - 7);
  }
  bool ReadOnly(const std::wstring& path) {
    const std::uint32_t attributes = fs().GetAttributes(path);
    return attributes != os::attr::kInvalid && (attributes & os::attr::kReadOnly) != 0;
  }
};

// --- A complete run ---

TEST_F(FinishingStepsTest, ACompleteRunInstallsTheSetsTheUpdaterTheLevelAndTheShortcut) {
  ASSERT_TRUE(Run());
  EXPECT_EQ(FinishingLines(), Lines{});
  EXPECT_FALSE(progress_.busy);

  // Release sets and updater, the updater's files writable although the medium's are not.
  EXPECT_EQ(ReadBytes(fs(), Target(L"backup\\V150612\\Install.cmd")),
            std::string(testing::kReleaseScript));
  EXPECT_TRUE(ReadOnly(medium_ + L"Updater\\ReleaseInfo"));
  EXPECT_FALSE(ReadOnly(Target(L"ReleaseInfo")));
  EXPECT_FALSE(ReadOnly(Target(L"Updater.exe.cfg")));
  EXPECT_EQ(ReadBytes(fs(), Target(L"Updater.exe.cfg")),
            std::string(testing::kMediumUpdaterSettings));
  EXPECT_FALSE(FolderExists(fs(), Target(L"Updater")));

  // The release step: the set's script in its folder, its level, the target as current folder.
  ASSERT_EQ(doubles().processes.Starts().size(), 1u);
  const auto& script = doubles().processes.Starts()[0];
  EXPECT_EQ(script.program, Target(L"backup\\V150612\\Install.cmd"));
  EXPECT_EQ(script.showMode, kShowHidden);
  EXPECT_EQ(ReleaseLevelWritten(), "150612");
  EXPECT_EQ(doubles().processes.FolderChanges().back(), request_.TargetPath);

  // The desktop shortcut to the main program, named and described after the product.
  const auto link = os::testing::FakeShellLinks::Read(fs(), DesktopLink());
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(*link, (os::testing::SavedShellLink{Target(L"Virelta.exe"), L"",
                                                kDescription + L" \"" + kProductName + L"\"",
                                                request_.TargetPath}));
  EXPECT_EQ(doubles().shellLinks.LiveLinks(), 0);
}

// --- Fonts ---

TEST_F(FinishingStepsTest, FontsAreInstalledUntilOneFailsAndTheRunGoesOn) {
  struct Case {
    const char* name;
    std::vector<std::wstring> onMedium;    // in fonts\ on the medium, each with a title
    std::vector<std::wstring> onComputer;  // already in the Windows fonts folder
    Lines lines;
  };
  const Case cases[] = {
      {"no fonts folder on the medium", {}, {}, {}},
      {"the second font missing on the medium",
       {L"ARIAL.TTF", L"COUR.TTF"},
       {},
       {FontInstalledLine(L"Title of ARIAL.TTF")}},
      {"every font there already",
       {},
       {L"ARIAL.TTF", L"ARIALN.TTF", L"COUR.TTF", L"MICROSS.TTF", L"TAHOMA.TTF", L"TIMES.TTF",
        L"VERDANA.TTF"},
       {}},
      {"all but two there already",
       {L"COUR.TTF", L"verdana.TTF"},
       {L"ARIAL.TTF", L"ARIALN.TTF", L"MICROSS.TTF", L"TAHOMA.TTF", L"TIMES.TTF"},
       {FontInstalledLine(L"Title of COUR.TTF"), FontInstalledLine(L"Title of verdana.TTF")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    request_.TargetPath = platform_.NewScratchFolder();
    os::testing::RemoveTree(fs(), medium_ + L"fonts");
    os::testing::RemoveTree(fs(), L"C:\\Windows\\Fonts");
    ASSERT_EQ(fs().CreateFolder(L"C:\\Windows\\Fonts"), 0u);
    if (!c.onMedium.empty()) {
      ASSERT_EQ(fs().CreateFolder(medium_ + L"fonts"), 0u);
    }
    for (const auto& font : c.onMedium) {
      WriteBytes(fs(), medium_ + L"fonts\\" + font, "a font");
      doubles().fonts.SetTitle(medium_ + L"fonts\\" + font, L"Title of " + font);
    }
    for (const auto& font : c.onComputer) {
      WriteBytes(fs(), L"C:\\Windows\\Fonts\\" + font, "a font");
    }
    EXPECT_TRUE(Run());
    EXPECT_EQ(FinishingLines(), c.lines);
    EXPECT_EQ(ReleaseLevelWritten(), "150612");  // the steps after the fonts ran
    EXPECT_TRUE(os::testing::FakeShellLinks::Read(fs(), DesktopLink()).has_value());
  }
}

// A font the medium's manifest does not fit ends the run, unlike any other font failure: the
// fonts before it stay installed, it is neither left in the fonts folder nor registered.
TEST_F(FinishingStepsTest, ADamagedFontOnTheMediumEndsTheRun) {
  ASSERT_EQ(fs().CreateFolder(medium_ + L"fonts"), 0u);
  for (const wchar_t* font : {L"ARIAL.TTF", L"ARIALN.TTF", L"COUR.TTF"}) {
    WriteBytes(fs(), medium_ + L"fonts\\" + font, "a font");
    doubles().fonts.SetTitle(medium_ + L"fonts\\" + font, std::wstring(L"Title of ") + font);
  }
  testing::WriteManifest(fs(), platform_.Get().crypto, medium_);
  WriteBytes(fs(), medium_ + L"fonts\\ARIALN.TTF", "a fonT");
  EXPECT_EQ(RunRaising(), DamagedMediumFileText(medium_ + L"fonts\\ARIALN.TTF"));
  EXPECT_EQ(FinishingLines(), Lines{FontInstalledLine(L"Title of ARIAL.TTF")});
  EXPECT_TRUE(FileExists(fs(), L"C:\\Windows\\Fonts\\ARIAL.TTF"));
  EXPECT_FALSE(FileExists(fs(), L"C:\\Windows\\Fonts\\ARIALN.TTF"));
  EXPECT_FALSE(FileExists(fs(), L"C:\\Windows\\Fonts\\COUR.TTF"));
  EXPECT_EQ(doubles()
                .registry.ValueNames(os::RegistryRoot::kLocalMachine, std::wstring(kFontsKey))
                .size(),
            1u);
  EXPECT_FALSE(ReleaseLevelWritten().has_value());  // nothing after the fonts ran
}

// A font's copy left by a stopped run never blocks it: a read-only file is replaced, a folder
// passes that font by, named with the system's reason, and the fonts after it still follow.
TEST_F(FinishingStepsTest, LeftoverFontCopiesAreReplacedOrNamed) {
  ASSERT_EQ(fs().CreateFolder(medium_ + L"fonts"), 0u);
  for (const wchar_t* font : {L"ARIAL.TTF", L"ARIALN.TTF", L"COUR.TTF"}) {
    WriteBytes(fs(), medium_ + L"fonts\\" + font, "a font");
    doubles().fonts.SetTitle(medium_ + L"fonts\\" + font, std::wstring(L"Title of ") + font);
  }
  WriteBytes(fs(), L"C:\\Windows\\Fonts\\ARIAL.TTF.tmp", "left by a stopped run");
  SetReadOnlyAttribute(fs(), L"C:\\Windows\\Fonts\\ARIAL.TTF.tmp", true);
  ASSERT_EQ(fs().CreateFolder(L"C:\\Windows\\Fonts\\ARIALN.TTF.tmp"), 0u);
  EXPECT_TRUE(Run());
  EXPECT_EQ(FinishingLines(), (Lines{FontInstalledLine(L"Title of ARIAL.TTF"),
                                     FontInstalledLine(L"Title of COUR.TTF")}));
  EXPECT_EQ(ReadBytes(fs(), L"C:\\Windows\\Fonts\\ARIAL.TTF"), "a font");
  ASSERT_EQ(progress_.reasons.size(), 1u);
  EXPECT_TRUE(progress_.reasons[0].starts_with(L"\"C:\\Windows\\fonts\\ARIALN.TTF.tmp\": "));
}

// The folders copied whole hold what the run starts. Each of their files is checked on the medium
// before anything is written, and its copy in the target again before anything starts from it (a
// read-only older copy is not overwritten by the system's copy).
TEST_F(FinishingStepsTest, AnAlteredFolderFileEndsTheRunBeforeAnythingStarts) {
  AddDriverPackage();
  testing::WriteManifest(fs(), platform_.Get().crypto, medium_);
  request_.InstallDriver = true;
  const std::wstring script = L"backup\\V150612\\Install.cmd";
  const std::wstring unlisted = medium_ + L"backup\\V150612\\extra.cmd";
  struct Case {
    std::wstring altered;  // on the medium (made when missing), or a stale copy in the target
    std::wstring message;
  };
  const Case cases[] = {
      {medium_ + script, DamagedMediumFileText(medium_ + script)},
      {medium_ + L"Updater\\Updater.exe.cfg",
       DamagedMediumFileText(medium_ + L"Updater\\Updater.exe.cfg")},
      {medium_ + L"Usbprep\\Package\\device.inf",
       DamagedMediumFileText(medium_ + L"Usbprep\\Package\\device.inf")},
      {unlisted, L"Файл \"" + unlisted +
                     L"\" установочного носителя не указан в файле контрольных "
                     L"сумм SHA256SUMS: носитель собран неверно"},
      {Target(script), L"Копия \"" + Target(script) + L"\" файла \"" + medium_ + script +
                           L"\" установочного носителя не совпадает с контрольной суммой в файле "
                           L"SHA256SUMS. Установка прервана"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.altered));
    const bool stale = c.altered.starts_with(request_.TargetPath);
    const std::optional<std::string> before = ReadBytes(fs(), c.altered);
    ASSERT_TRUE(!stale || ForceFolders(fs(), Target(L"backup\\V150612")));
    SetReadOnlyAttribute(fs(), c.altered, false);  // the updater's files are read-only
    WriteBytes(fs(), c.altered, "@echo altered");
    SetReadOnlyAttribute(fs(), c.altered, stale);
    const std::size_t startsBefore = doubles().processes.Starts().size();
    progress_ = testing::RecordingProgress();
    progress_.answers = {true};
    EXPECT_EQ(
        testing::RaisedMessage([&] { RunInstallation(request_, progress_, platform_.Get()); }),
        c.message);
    // A damaged medium changes nothing; a stale copy lets only the checked driver installer run.
    EXPECT_EQ(doubles().processes.Starts().size() - startsBefore, stale ? 1u : 0u);
    EXPECT_EQ(FolderExists(fs(), request_.TargetPath), stale);
    if (!stale) {
      before ? WriteBytes(fs(), c.altered, *before) : void(fs().RemoveFile(c.altered));
    }
  }
  // The same medium unaltered installs: the driver installer and the script run.
  const std::size_t startsBefore = doubles().processes.Starts().size();
  request_.TargetPath = platform_.NewScratchFolder() + L"Virelta\\";
  progress_.answers = {true};
  EXPECT_TRUE(RunInstallation(request_, progress_, platform_.Get()));
  EXPECT_EQ(doubles().processes.Starts().size() - startsBefore, 2u);
}

// --- The driver package ---

TEST_F(FinishingStepsTest, TheDriverPackageIsInstalledOnlyWhenAskedForAndConfirmed) {
  struct Case {
    const char* name;
    bool installDriver;
    bool answer;
    bool packageOnMedium;
    const wchar_t* targetFolder;
    bool asked;
    bool started;  // the two lines and the start of the installer
    bool copied;
  };
  const Case cases[] = {
      {"not requested", false, true, true, L"Virelta", false, false, false},
      {"answered No", true, false, true, L"Virelta", true, false, false},
      {"confirmed", true, true, true, L"Virelta", true, true, true},
      {"confirmed, into a folder with a blank", true, true, true, L"Program Files\\Virelta", true,
       true, true},
      {"confirmed, no package on the medium", true, true, false, L"Virelta", true, true, false},
  };
  AddDriverPackage();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.packageOnMedium) {
      ASSERT_EQ(os::testing::RemoveTree(fs(), medium_ + L"Usbprep"), 0u);
    }
    const std::wstring scratch = platform_.NewScratchFolder();
    ASSERT_EQ(fs().CreateFolder(scratch + L"Program Files"), 0u);
    request_.TargetPath = scratch + c.targetFolder + L"\\";
    request_.InstallDriver = c.installDriver;
    const std::wstring installer = Target(L"Usbprep\\Usbprep.exe");
    // The installer blocks the window: it starts after the first line has been painted.
    std::optional<std::wstring> lastCallAtStart;
    doubles().processes.SetProgram(installer, {0, 0, [&](const os::testing::ProcessStartRecord&) {
                                                 lastCallAtStart = progress_.calls.back();
                                               }});
    const size_t startsBefore = doubles().processes.Starts().size();
    progress_ = testing::RecordingProgress();
    progress_.answers = {c.answer};
    ASSERT_TRUE(RunInstallation(request_, progress_, platform_.Get()));

    Lines calls;
    if (c.asked) {
      calls.push_back(kQuestion);
    }
    if (c.started) {
      calls.insert(calls.end(), {L"Add " + kDriverStarted, L"Repaint", L"Add " + kDriverFinished});
    }
    EXPECT_EQ(CallsAfterBusyRegion(), calls);
    const Lines driverLines = c.started ? Lines{kDriverStarted, kDriverFinished} : Lines{};
    EXPECT_EQ(FinishingLines(), driverLines);
    EXPECT_EQ(FolderExists(fs(), Target(L"Usbprep")), c.copied);
    EXPECT_EQ(FileExists(fs(), Target(L"Usbprep\\Package\\device.inf")), c.copied);

    // The installer's start comes first, hidden, waited for without limit; the release set's
    // script follows in every case.
    const auto& starts = doubles().processes.Starts();
    ASSERT_EQ(starts.size() - startsBefore, c.started ? 2u : 1u);
    if (c.started) {
      const auto& start = starts[startsBefore];
      EXPECT_EQ(start.commandLine, QuoteProgramPath(installer));
      EXPECT_EQ(start.showMode, kShowHidden);
      EXPECT_EQ(start.creationFlags, kLaunchCreationFlags);
      EXPECT_EQ(start.error == os::error::kSuccess, c.copied);
      EXPECT_EQ(lastCallAtStart.has_value(), c.copied);
      if (c.copied) {
        EXPECT_EQ(*lastCallAtStart, L"Repaint");
        EXPECT_EQ(start.program, installer);
      }
    }
    EXPECT_EQ(starts.back().program, Target(L"backup\\V150612\\Install.cmd"));
  }
  EXPECT_TRUE(std::find(doubles().processes.Waits().begin(), doubles().processes.Waits().end(),
                        os::wait::kInfinite) != doubles().processes.Waits().end());
}

// --- What a failure does ---

TEST_F(FinishingStepsTest, FailedCopiesOfTheFinishingStepsGoUnreported) {
  AddDriverPackage();
  // The shell's copy of the driver package is cancelled, the updater's settings file cannot be
  // copied: the run completes, with the driver lines, and the files are simply not there.
  doubles().shell.ScriptResult(1223);
  doubles().fs.FailSystemCopy(medium_ + L"Updater\\Updater.exe.cfg", os::error::kAccessDenied);
  progress_ = testing::RecordingProgress();
  progress_.answers = {true};
  ASSERT_TRUE(RunInstallation(request_, progress_, platform_.Get()));
  EXPECT_EQ(FinishingLines(), (Lines{kDriverStarted, kDriverFinished}));
  EXPECT_TRUE(progress_.errors.empty());
  EXPECT_FALSE(FolderExists(fs(), Target(L"Usbprep")));
  EXPECT_FALSE(FileExists(fs(), Target(L"Updater.exe.cfg")));
  EXPECT_EQ(ReleaseLevelWritten(), "150612");
  EXPECT_TRUE(os::testing::FakeShellLinks::Read(fs(), DesktopLink()).has_value());
}

TEST_F(FinishingStepsTest, AFailingReleaseStepOrLinkObjectEndsTheRunWithItsError) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::function<std::wstring()> message;
    bool levelWritten;
    bool scriptTried;  // the release set's folder was made current, and the target afterwards
  };
  const Case cases[] = {
      {"no release set on the medium", [&] { os::testing::RemoveTree(fs(), medium_ + L"backup"); },
       [&] {
         return L"В папке \"" + Target(L"backup\\") +
                L"\" нет ни одного выпуска программ: установка не может быть завершена";
       },
       false, false},
      {"no release information on the medium",
       [&] {
         fs().SetAttributes(medium_ + L"Updater\\ReleaseInfo", os::attr::kNormal);
         fs().RemoveFile(medium_ + L"Updater\\ReleaseInfo");
       },
       [] { return std::wstring(kReleaseInfoMissing); }, false, true},
      {"the set's script not copied",
       [&] {
         doubles().fs.FailSystemCopy(medium_ + L"backup\\V150612\\Install.cmd",
                                     os::error::kAccessDenied);
       },
       [&] { return L"не могу создать процесс: " + Target(L"backup\\V150612\\Install.cmd"); },
       false, true},
      {"the shell's link object cannot be made",
       [&] { doubles().shellLinks.FailCreate(L"Класс не зарегистрирован"); },
       [] { return std::wstring(L"Класс не зарегистрирован"); }, true, true},
  };  // the last case's failure stays scripted: it must stay last
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.arrange();
    EXPECT_EQ(RunRaising(), c.message());
    EXPECT_EQ(FinishingLines(), Lines{});
    EXPECT_FALSE(progress_.busy);
    EXPECT_EQ(progress_.calls.back(), kQuestion);
    EXPECT_EQ(ReleaseLevelWritten().has_value() && *ReleaseLevelWritten() == "150612",
              c.levelWritten);
    EXPECT_FALSE(FileExists(fs(), DesktopLink()));
    const auto& changes = doubles().processes.FolderChanges();
    EXPECT_EQ(!changes.empty() && changes.back() == request_.TargetPath, c.scriptTried);

    // For the next case: a new medium, a new target.
    doubles().fs.ClearFaults();
    const std::wstring root = platform_.NewScratchFolder();
    medium_ = root + L"medium\\";
    ASSERT_EQ(fs().CreateFolder(medium_), 0u);
    testing::BuildMedium(fs(), medium_);
    doubles().system.SetModuleFileName(medium_ + L"Install.exe");
    request_.Fcopyfrom = medium_;
    request_.TargetPath = root + L"Virelta\\";
  }
}

TEST_F(FinishingStepsTest, AShortcutThatCannotBeWrittenIsNoFailure) {
  doubles().registry.SetString(os::RegistryRoot::kCurrentUser, testing::TestPlatform::kShellFolders,
                               L"Desktop", L"C:\\No such desktop");
  EXPECT_TRUE(Run());
  EXPECT_FALSE(FolderExists(fs(), L"C:\\No such desktop"));
  EXPECT_FALSE(FileExists(fs(), DesktopLink()));
}

// --- An earlier installation in the target ---

TEST_F(FinishingStepsTest, AnEarlierInstallationsFilesAreMadeWritableAndItsSetsFolderKept) {
  // An older kit spelt the sets folder "Backup" and left the updater's files read-only; the
  // operator had edited the updater's settings.
  ASSERT_EQ(fs().CreateFolder(request_.TargetPath), 0u);
  ASSERT_EQ(fs().CreateFolder(Target(L"Backup")), 0u);
  ASSERT_EQ(fs().CreateFolder(Target(L"Backup\\V010110")), 0u);
  WriteBytes(fs(), Target(L"Backup\\V010110\\Install.cmd"), "@echo off\r\n");
  WriteBytes(fs(), Target(L"ReleaseInfo"),
             "<ROOT><Version>1</Version><Level>010110</Level></ROOT>");
  WriteBytes(fs(), Target(L"Updater.exe.cfg"), "[Updater]\r\nSource=\\\\server\\kit\r\n");
  for (const wchar_t* file : {L"ReleaseInfo", L"Updater.exe.cfg"}) {
    ASSERT_EQ(fs().SetAttributes(Target(file), os::attr::kReadOnly), 0u);
  }

  ASSERT_TRUE(Run());
  std::vector<os::FindEntry> entries;
  fs().Find(Target(L"backup"), entries);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, L"Backup");  // the same folder, not a second one
  EXPECT_TRUE(FileExists(fs(), Target(L"Backup\\V150612\\Install.cmd")));
  EXPECT_TRUE(FileExists(fs(), Target(L"Backup\\V010110\\Install.cmd")));
  EXPECT_FALSE(ReadOnly(Target(L"ReleaseInfo")));
  EXPECT_FALSE(ReadOnly(Target(L"Updater.exe.cfg")));
  // A read-only file is not overwritten by the folder copy: the operator's settings stay.
  EXPECT_EQ(ReadBytes(fs(), Target(L"Updater.exe.cfg")), "[Updater]\r\nSource=\\\\server\\kit\r\n");
  EXPECT_EQ(ReleaseLevelWritten(), "150612");  // the newest set's level
}

}  // namespace
}  // namespace engine
