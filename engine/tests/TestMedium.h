#pragma once
// An installation medium and a seam for installation runs in tests. The medium is built in a
// folder of the test's file system with every file the copy phase takes, each holding its own
// medium path as content, so a test can tell which file landed where.
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FontFileBuilder.h"
#include "TestStrings.h"
#include "engine/Fonts.h"
#include "engine/MediumManifest.h"
#include "engine/PackageLayout.h"
#include "os/Platform.h"
#include "os/testing/FakeLocale.h"
#include "os/testing/FileHelpers.h"
#include "engine/resources/StringTableIds.h"
#include "text/Utf.h"
#ifdef _WIN32
#include <windows.h>

#include "os/testing/TestEnvironment.h"
#include "os/win32/ComApartment.h"
#include "os/win32/Win32Platform.h"
#else
#include "os/testing/MemoryPlatform.h"
#endif

namespace engine::testing {

// The content every medium file gets: its path below the medium folder.
inline std::string MediumContent(const std::wstring& relative) {
  std::string content;
  for (const wchar_t c : relative) {
    content.push_back(static_cast<char>(c));  // the medium's names are ASCII
  }
  return content;
}

// The medium's one release set and its script: it notes its own run in the target folder (two
// levels up from the set's folder in "backup\"), as the sets of a real medium leave their mark.
inline constexpr wchar_t kReleaseSet[] = L"V150612";
inline constexpr char kReleaseScript[] = "@echo off\r\necho V150612>..\\..\\ReleaseSet.txt\r\n";
// The updater's release information as the medium has it: version 1, no level yet.
inline constexpr char kMediumReleaseInfo[] =
    "<?xml version=\"1.0\"?>\r\n<ROOT><Version>1</Version><Level>000000</Level></ROOT>\r\n";
inline constexpr char kMediumUpdaterSettings[] = "[Updater]\r\nSource=\r\n";

// Fills `medium` (ending in "\") with the database, both server families, the international,
// server function and complex function sets, and for the finishing steps one release set and the
// updater's two files, read-only as on a disc. Returns the relative paths of the copy phase's
// files.
inline std::vector<std::wstring> BuildMedium(os::IFileSystem& fs, const std::wstring& medium) {
  std::vector<std::wstring> written;
  const auto folder = [&](const std::wstring& relative) {
    if (fs.CreateFolder(medium + relative) != 0) {
      throw std::runtime_error("cannot create a medium folder");
    }
  };
  const auto file = [&](const std::wstring& relative) {
    os::testing::WriteBytes(fs, medium + relative, MediumContent(relative));
    written.push_back(relative);
  };
  const std::wstring firebird(layout::kFirebirdFolder);
  folder(std::wstring(layout::kDatabaseFolder));
  file(std::wstring(layout::kDatabaseFolder) + std::wstring(layout::kDatabaseFile));
  folder(firebird);
  for (const auto name : layout::kServerFilesFamily0) {
    file(firebird + std::wstring(name));
  }
  for (const auto name : layout::kServerFilesFamily1) {
    if (fs.GetAttributes(medium + firebird + std::wstring(name)) == os::attr::kInvalid) {
      file(firebird + std::wstring(name));
    }
  }
  folder(firebird + std::wstring(layout::kInternationalFolder));
  for (const auto name : layout::kInternationalFiles) {
    file(firebird + std::wstring(layout::kInternationalFolder) + std::wstring(name));
  }
  folder(firebird + std::wstring(layout::kServerFunctionFolder));
  for (const auto name : layout::kServerFunctionFiles) {
    file(firebird + std::wstring(layout::kServerFunctionFolder) + std::wstring(name));
  }
  folder(std::wstring(layout::kComplexFunctionFolder));
  for (const auto name : layout::kComplexFunctionFiles) {
    file(std::wstring(layout::kComplexFunctionFolder) + std::wstring(name));
  }
  const std::wstring backup = std::wstring(layout::kBackupFolder) + L"\\";
  folder(backup);
  folder(backup + kReleaseSet);
  os::testing::WriteBytes(fs, medium + backup + kReleaseSet + L"\\Install.cmd", kReleaseScript);
  const std::wstring updater = std::wstring(layout::kUpdaterFolder) + L"\\";
  folder(updater);
  for (const auto& [name, content] :
       {std::pair{layout::kReleaseInfoFile, kMediumReleaseInfo},
        std::pair{layout::kUpdaterSettingsFile, kMediumUpdaterSettings}}) {
    const std::wstring path = medium + updater + std::wstring(name);
    os::testing::WriteBytes(fs, path, content);
    if (fs.SetAttributes(path, os::attr::kReadOnly) != 0) {
      throw std::runtime_error("cannot make an updater file read-only");
    }
  }
  return written;
}

// What a medium holds beyond the copy phase's files, for checking it whole: the seven fonts (each
// a small font file with its name as title), the driver package folder and both installers.
inline void CompleteMedium(os::IFileSystem& fs, const std::wstring& medium) {
  for (const wchar_t* folder : {L"fonts", L"Usbprep", L"Usbprep\\Package"}) {
    if (fs.CreateFolder(medium + folder) != 0) {
      throw std::runtime_error("cannot create a medium folder");
    }
  }
  for (const auto name : kFontFiles) {
    const std::u16string title(name.begin(), name.end());
    os::testing::WriteBytes(fs, medium + L"fonts\\" + std::wstring(name),
                            FontFile({WindowsName(4, title)}));
  }
  for (const wchar_t* file :
       {L"Usbprep\\Usbprep.exe", L"Usbprep\\DPInst32.exe", L"Usbprep\\DPInst64.exe",
        L"Usbprep\\DPInstIA64.exe", L"Usbprep\\Package\\ftdibus.inf",
        L"Usbprep\\Package\\ftdiport.inf", L"Install.exe", L"InstallCli.exe"}) {
    os::testing::WriteBytes(fs, medium + file, MediumContent(file));
  }
}

// "SHA256SUMS" in the medium's root, as sha256sum writes it, for every file of the medium.
inline void WriteManifest(os::IFileSystem& fs, os::ICrypto& crypto, const std::wstring& medium) {
  std::string manifest;
  for (std::wstring file : MediumFiles(fs, medium)) {
    std::wstring error;
    const auto digest = FileDigest(fs, crypto, medium + file, error);
    if (!digest) {
      throw std::runtime_error("cannot hash a medium file: " + text::ToUtf8(error));
    }
    std::replace(file.begin(), file.end(), L'\\', L'/');
    manifest += text::ToUtf8(DigestHex(*digest)) + "  " + text::ToUtf8(file) + "\n";
  }
  os::testing::WriteBytes(fs, medium + std::wstring(kManifestFile), manifest);
}

// The seam an installation run in a portable test works on: natively every part a double (the
// clock one the test sets), under Wine every part the real one, the clock included. Scratch
// folders lie on its file system and go at the end.
class TestPlatform {
 public:
  TestPlatform() {
#ifdef _WIN32
    wchar_t folder[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, folder);
    savedFolder_.assign(folder, length < MAX_PATH ? length : 0);
#else
    for (const wchar_t* folder : {L"C:\\scratch", L"C:\\Desktop"}) {
      if (platform_.fs.CreateFolder(folder) != 0) {
        throw std::runtime_error("cannot create a folder of the test system");
      }
    }
    platform_.registry.SetString(os::RegistryRoot::kCurrentUser, kShellFolders, L"Desktop",
                                 kDesktop);
    using os::testing::FakeSystem;
    platform_.system.SetString(FakeSystem::kModuleHandle, VR_STR_PRODUCT_NAME,
                               text::FromUtf8(VR_TEST_PRODUCT_NAME));
    platform_.system.SetString(FakeSystem::kModuleHandle, VR_STR_PRODUCT_DESCRIPTION,
                               text::FromUtf8(VR_TEST_PRODUCT_DESCRIPTION));
    platform_.system.SetString(FakeSystem::kModuleHandle, VR_STR_MAIN_PROGRAM,
                               text::FromUtf8(VR_TEST_MAIN_PROGRAM));
#endif
  }
#ifdef _WIN32
  // The release step leaves the target as the current folder: the test's own is restored, so
  // that the scratch folders can go.
  ~TestPlatform() {
    ::SetCurrentDirectoryW(savedFolder_.c_str());
  }
#endif
  TestPlatform(const TestPlatform&) = delete;
  TestPlatform& operator=(const TestPlatform&) = delete;

  os::Platform& Get() {
    return platform_.Get();
  }
  os::IFileSystem& Fs() {
    return Get().fs;
  }
#ifndef _WIN32
  // The double: the desktop's folder, as the user's registry names it.
  static constexpr wchar_t kDesktop[] = L"C:\\Desktop";
  static constexpr wchar_t kShellFolders[] =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  os::testing::MemoryPlatform& Doubles() {
    return platform_;
  }
#endif
  // The clock to set, or null where the real one runs.
  os::testing::FakeLocale* Clock() {
#ifdef _WIN32
    return nullptr;
#else
    return &platform_.locale;
#endif
  }
  // A new, empty folder ending in "\".
  std::wstring NewScratchFolder() {
#ifdef _WIN32
    return environment_->NewScratchFolder();
#else
    const std::wstring folder = L"C:\\scratch\\" + std::to_wstring(++count_) + L"\\";
    if (platform_.fs.CreateFolder(folder) != 0) {
      throw std::runtime_error("cannot create a scratch folder");
    }
    return folder;
#endif
  }

 private:
#ifdef _WIN32
  // The environment's file system and the platform's are both the real one.
  // As the installer programs have it from their start: the desktop shortcut needs COM.
  os::win32::ComApartment com_;
  std::unique_ptr<os::testing::TestEnvironment> environment_ = os::testing::MakeTestEnvironment();
  os::win32::Win32Platform platform_;
  std::wstring savedFolder_;
#else
  os::testing::MemoryPlatform platform_;
  unsigned count_ = 0;
#endif
};

}  // namespace engine::testing
