// The console installer's dry run on the seam's doubles, with the real installation: it leaves
// the computer (every file with its content, the registry, the session's fonts) as it was and
// starts nothing, and what it prints is what the real run on the same computer prints next.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "CliRun.h"
#include "RecordingConsole.h"
#include "TestMedium.h"
#include "engine/FileOperations.h"
#include "engine/Fonts.h"
#include "engine/Installation.h"
#include "os/overlay/OverlayFileSystem.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"
#include "text/Utf.h"

namespace cli {
namespace {

using os::RegistryRoot;
using std::wstring;
using testing::RecordingConsole;

constexpr wchar_t kMedium[] = L"E:\\SETUP\\";
constexpr wchar_t kTarget[] = L"C:\\Virelta\\";
constexpr wchar_t kFonts[] = L"C:\\Windows\\Fonts\\";
constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr wchar_t kDryRunNotice[] = L"Пробный прогон: на компьютере ничего не изменено.";
constexpr wchar_t kNotStarted[] = L"Пробный прогон: программа не запущена: ";

std::vector<wstring> Lines(const wstring& text) {
  std::vector<wstring> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find(L"\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end == wstring::npos ? text.size() : end + 2;
  }
  return lines;
}

class DryRunTest : public ::testing::Test {
 protected:
  // A medium with the fonts, the driver's folder and the copy phase's files; a computer that
  // lacks two of the fonts.
  void Prepare() {
    doubles_ = std::make_unique<os::testing::MemoryPlatform>();
    auto& fs = doubles_->fs;
    fs.AddDrive(L'E');
    ASSERT_EQ(fs.CreateFolder(kMedium), 0u);
    engine::testing::BuildMedium(fs, kMedium);
    for (const wchar_t* folder :
         {L"C:\\Desktop", L"C:\\Windows", kFonts, L"E:\\SETUP\\fonts", L"E:\\SETUP\\Usbprep"}) {
      ASSERT_EQ(fs.CreateFolder(folder), 0u);
    }
    os::testing::WriteBytes(fs, L"E:\\SETUP\\Usbprep\\Usbprep.exe", "MZ");
    for (const auto font : engine::kFontFiles) {
      const wstring name(font);
      os::testing::WriteBytes(fs, L"E:\\SETUP\\fonts\\" + name, "font " + text::ToUtf8(name));
      doubles_->fonts.SetTitle(L"E:\\SETUP\\fonts\\" + name, L"Title of " + name);
      if (name != L"COUR.TTF" && name != L"TIMES.TTF") {
        os::testing::WriteBytes(fs, kFonts + name, "installed");
      }
    }
    doubles_->system.SetWindowsDirectory(L"C:\\Windows");
    doubles_->system.SetModuleFileName(L"E:\\SETUP\\InstallCli.exe");
    using os::testing::FakeSystem;
    for (const auto& [id, value] :
         {std::pair{VR_STR_PRODUCT_NAME, VR_TEST_PRODUCT_NAME},
          std::pair{VR_STR_PRODUCT_DESCRIPTION, VR_TEST_PRODUCT_DESCRIPTION},
          std::pair{VR_STR_MAIN_PROGRAM, VR_TEST_MAIN_PROGRAM}}) {
      doubles_->system.SetString(FakeSystem::kModuleHandle, id, text::FromUtf8(value));
    }
    doubles_->registry.SetString(RegistryRoot::kCurrentUser, kShellFolders, L"Desktop",
                                 L"C:\\Desktop");
    doubles_->registry.SetString(RegistryRoot::kLocalMachine, wstring(engine::kFontsKey),
                                 L"Arial (TrueType)", L"ARIAL.TTF");
  }

  int Run(bool dryRun, RecordingConsole& console) {
    std::vector<wstring> arguments{L"--yes", L"--reinstall", kTarget};
    if (dryRun) {
      arguments.insert(arguments.begin(), L"--dry-run");
    }
    return RunCli(arguments, console, doubles_->Get(), engine::RunInstallation);
  }

  // Everything of the computer a run could change, as text: every entry of both drives with its
  // attributes, time and content, the registry's values, the session's fonts, the programs
  // started and (unless left out) the events written.
  wstring Computer(bool withEvents = true) {
    std::wostringstream out;
    const std::function<void(const wstring&)> walk = [&](const wstring& folder) {
      std::vector<os::FindEntry> entries;
      doubles_->fs.Find(folder + L"*", entries);
      for (const os::FindEntry& entry : entries) {
        if (entry.name == L"." || entry.name == L"..") {
          continue;
        }
        const wstring path = folder + entry.name;
        out << path << L" " << entry.attributes << L" " << entry.lastWrite << L"\n";
        if (entry.attributes & os::attr::kDirectory) {
          walk(path + L"\\");
        } else {
          out << text::FromUtf8(*doubles_->fs.Content(path)) << L"\n";
        }
      }
    };
    walk(L"C:\\");
    walk(L"E:\\");
    for (const auto& [root, key] :
         {std::pair{RegistryRoot::kLocalMachine, wstring(engine::kFontsKey)},
          std::pair{RegistryRoot::kCurrentUser, wstring(kShellFolders)}}) {
      for (const wstring& name : doubles_->registry.ValueNames(root, key)) {
        out << name << L"=" << doubles_->registry.String(root, key, name).value_or(L"?") << L"\n";
      }
    }
    // The medium's fonts are loaded for their titles and unloaded again, as in a real run.
    for (const wstring& call : doubles_->fonts.Calls()) {
      if (call == L"Broadcast" || ((call.starts_with(L"Add") || call.starts_with(L"Remove")) &&
                                   call.find(kMedium) == wstring::npos)) {
        out << call << L"\n";
      }
    }
    for (const auto font : engine::kFontFiles) {
      out << doubles_->fonts.Loaded(kMedium + (L"fonts\\" + wstring(font)));
    }
    out << L"started " << doubles_->processes.Starts().size() << L", open files "
        << doubles_->fs.OpenHandleCount();
    if (withEvents) {
      out << L", events " << doubles_->eventLog.Reports().size();
    }
    return out.str();
  }

  std::unique_ptr<os::testing::MemoryPlatform> doubles_;
};

TEST_F(DryRunTest, PrintsWhatTheRealRunPrintsAndChangesNothing) {
  struct Case {
    const char* name;
    bool installFirst;       // a reinstallation over a complete installation
    const wchar_t* removed;  // a medium file that is missing
    bool holdDatabase;       // another program holds the installed database open
    bool denyFontsKey;       // the user may not write the machine's fonts key
    // A file where the run needs a folder, or a folder where it needs a file (ending in "\\").
    const wchar_t* inTheWay;
    int exitCode;
    std::size_t starts;  // programs the run starts
    std::size_t fontLines;
  };
  const Case cases[] = {
      {"fresh target", false, nullptr, false, false, nullptr, kComplete, 2, 2},
      {"reinstallation", true, nullptr, false, false, nullptr, kComplete, 2, 0},
      {"medium without a server file", false, L"Firebird\\ib_util.Dll", false, false, nullptr,
       kFailed, 0, 0},
      {"database in use", true, nullptr, true, false, nullptr, kEndedEarly, 0, 0},
      {"no right to the fonts key", false, nullptr, false, true, nullptr, kComplete, 2, 0},
      {"target folder is a file", false, nullptr, false, false, L"C:\\Virelta", kEndedEarly, 0, 0},
      {"Settings is a file", false, nullptr, false, false, L"C:\\Virelta\\Settings", kFailed, 0, 0},
      {"DTAfb is a file", false, nullptr, false, false, L"C:\\Virelta\\DTAfb", kEndedEarly, 0, 0},
      {"udf is a file", true, nullptr, false, false, L"C:\\Virelta\\udf", kFailed, 0, 0},
      {"intl is a file", false, nullptr, false, false, L"C:\\Virelta\\intl", kFailed, 0, 0},
      {"Usbprep is a file", true, nullptr, false, false, L"C:\\Virelta\\Usbprep", kComplete, 1, 0},
      {"backup is a file", false, nullptr, false, false, L"C:\\Virelta\\backup", kFailed, 1, 2},
      {"database is a folder", true, nullptr, false, false, L"C:\\Virelta\\DTAfb\\R40.FDB\\",
       kEndedEarly, 0, 0},
      {"settings file is a folder", false, nullptr, false, false,
       L"C:\\Virelta\\Settings\\virelta.ini\\", kFailed, 0, 0},
      {"lastnum.dta is a folder", false, nullptr, false, false,
       L"C:\\Virelta\\DTAfb\\lastnum.dta\\", kComplete, 2, 2},
      {"a font is a folder", false, nullptr, false, false, L"C:\\Windows\\Fonts\\COUR.TTF\\",
       kComplete, 2, 1},
      {"malformed manifest", false, nullptr, false, false, L"E:\\SETUP\\SHA256SUMS", kFailed, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Prepare();
    if (c.installFirst) {
      RecordingConsole first;
      ASSERT_EQ(Run(false, first), kComplete) << text::ToUtf8(first.errors);
    }
    if (c.removed != nullptr) {
      ASSERT_EQ(doubles_->fs.RemoveFile(kMedium + wstring(c.removed)), 0u);
    }
    if (c.inTheWay != nullptr) {
      const wstring path = c.inTheWay;
      if (path.ends_with(L'\\')) {
        doubles_->fs.RemoveFile(path.substr(0, path.size() - 1));
        ASSERT_TRUE(engine::ForceFolders(doubles_->fs, path));
      } else {
        os::testing::RemoveTree(doubles_->fs, path);
        ASSERT_TRUE(engine::ForceFolders(doubles_->fs, path.substr(0, path.rfind(L'\\'))));
        os::testing::WriteBytes(doubles_->fs, path, "in the way");
      }
    }
    if (c.denyFontsKey) {
      doubles_->registry.DenyWrite(RegistryRoot::kLocalMachine, wstring(engine::kFontsKey));
    }
    std::unique_ptr<os::IFile> held;
    if (c.holdDatabase) {
      os::ErrorCode error = 0;
      held = doubles_->fs.Open(wstring(kTarget) + L"DTAfb\\R40.FDB", os::Access::kRead,
                               os::Share::kNone, os::Disposition::kOpenExisting, error);
      ASSERT_TRUE(held);
    }
    doubles_->fonts.ClearCalls();
    const std::size_t startsBefore = doubles_->processes.Starts().size();
    const wstring before = Computer();
    const wstring beforeWithoutEvents = Computer(false);

    RecordingConsole dry;
    const int dryExit = Run(true, dry);
    EXPECT_EQ(Computer(), before);

    RecordingConsole real;
    EXPECT_EQ(Run(false, real), dryExit);
    if (real.output.empty()) {
      // The real run still reports itself in the application event log.
      EXPECT_EQ(Computer(false), beforeWithoutEvents)
          << "a run that ends before its first line writes nothing else";
    }
    EXPECT_EQ(dryExit, c.exitCode) << text::ToUtf8(dry.errors);
    EXPECT_EQ(Lines(dry.output), Lines(real.output));
    std::size_t fontLines = 0;
    for (const wstring& line : Lines(real.output)) {
      fontLines += line.starts_with(L"Шрифт <Title of ") ? 1 : 0;
    }
    EXPECT_EQ(fontLines, c.fontLines);

    // Standard error: the notice first, then the real run's text with a line for each program
    // where the real run started it.
    const std::vector<wstring> dryErrors = Lines(dry.errors);
    ASSERT_FALSE(dryErrors.empty());
    EXPECT_EQ(dryErrors.front(), kDryRunNotice);
    std::vector<wstring> reported;
    std::vector<wstring> rest;
    for (std::size_t i = 1; i < dryErrors.size(); ++i) {
      (dryErrors[i].starts_with(kNotStarted) ? reported : rest).push_back(dryErrors[i]);
    }
    EXPECT_EQ(rest, Lines(real.errors));
    std::vector<wstring> started;
    const auto& starts = doubles_->processes.Starts();
    for (std::size_t i = startsBefore; i < starts.size(); ++i) {
      if (starts[i].error != os::error::kSuccess) {
        continue;  // a program that is not there was not started
      }
      started.push_back(kNotStarted + starts[i].commandLine + L" (в каталоге " +
                        starts[i].workingFolder + L")");
    }
    EXPECT_EQ(started.size(), c.starts);
    EXPECT_EQ(reported, started);
  }
}

// What the view keeps of a large copy is its size: the bytes beyond the limit are not kept, and
// reading them back is refused rather than answered wrongly.
TEST(OverlayFileSystem, KeepsTheSizeOfALargeCopyWithoutItsBytes) {
  os::testing::MemoryFileSystem base;
  os::testing::WriteBytes(base, L"C:\\big.fdb", std::string(5000, 'x'));
  os::overlay::OverlayFileSystem view(base, 1024);
  os::ErrorCode error = 0;
  {
    const auto in = view.Open(L"C:\\big.fdb", os::Access::kRead, os::Share::kRead,
                              os::Disposition::kOpenExisting, error);
    const auto out = view.Open(L"C:\\copy.fdb", os::Access::kReadWrite, os::Share::kNone,
                               os::Disposition::kCreateAlways, error);
    ASSERT_TRUE(in && out);
    char buffer[700];
    for (std::uint32_t read = 1; read > 0;) {
      ASSERT_EQ(in->Read(buffer, sizeof(buffer), read), 0u);
      std::uint32_t written = 0;
      ASSERT_EQ(out->Write(buffer, read, written), 0u);
    }
  }
  ASSERT_EQ(view.Move(L"C:\\copy.fdb", L"C:\\live.fdb"), 0u);
  std::vector<os::FindEntry> found;
  ASSERT_EQ(view.Find(L"C:\\*.fdb", found), 0u);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[1].name, L"live.fdb");
  EXPECT_EQ(found[1].size, 5000u);
  const auto back = view.Open(L"C:\\live.fdb", os::Access::kRead, os::Share::kRead,
                              os::Disposition::kOpenExisting, error);
  ASSERT_TRUE(back);
  char byte = 0;
  std::uint32_t read = 0;
  EXPECT_EQ(back->Read(&byte, 1, read), os::error::kReadFault);
  // A base file another program holds cannot be renamed; once free, renamed in the view it stays
  // readable by reference, and the base has neither name.
  {
    const auto held = base.Open(L"C:\\big.fdb", os::Access::kRead, os::Share::kNone,
                                os::Disposition::kOpenExisting, error);
    EXPECT_EQ(view.Move(L"C:\\big.fdb", L"C:\\kept.fdb"), os::error::kSharingViolation);
  }
  ASSERT_EQ(view.Move(L"C:\\big.fdb", L"C:\\kept.fdb"), 0u);
  EXPECT_EQ(os::testing::ReadBytes(view, L"C:\\kept.fdb"), std::string(5000, 'x'));
  EXPECT_EQ(view.GetAttributes(L"C:\\BIG.FDB"), os::attr::kInvalid);
  EXPECT_TRUE(base.Exists(L"C:\\big.fdb"));
  EXPECT_FALSE(base.Exists(L"C:\\kept.fdb") || base.Exists(L"C:\\live.fdb"));
}

}  // namespace
}  // namespace cli
