#pragma once
// An installation medium and a seam for installation runs in tests. The medium is built in a
// folder of the test's file system with every file the copy phase takes, each holding its own
// medium path as content, so a test can tell which file landed where.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/PackageLayout.h"
#include "os/Platform.h"
#include "os/testing/FakeLocale.h"
#include "os/testing/FileHelpers.h"
#ifdef _WIN32
#include "os/testing/TestEnvironment.h"
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

// Fills `medium` (ending in "\") with the database, both server families, the international,
// server function and complex function sets. Returns the relative paths written.
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
  return written;
}

// The seam an installation run in a portable test works on: natively every part a double (the
// clock one the test sets), under Wine every part the real one, the clock included. Scratch
// folders lie on its file system and go at the end.
class TestPlatform {
 public:
  TestPlatform() {
#ifndef _WIN32
    if (platform_.fs.CreateFolder(L"C:\\scratch") != 0) {
      throw std::runtime_error("cannot create the scratch root");
    }
#endif
  }
  TestPlatform(const TestPlatform&) = delete;
  TestPlatform& operator=(const TestPlatform&) = delete;

  os::Platform& Get() {
    return platform_.Get();
  }
  os::IFileSystem& Fs() {
    return Get().fs;
  }
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
  std::unique_ptr<os::testing::TestEnvironment> environment_ = os::testing::MakeTestEnvironment();
  os::win32::Win32Platform platform_;
#else
  os::testing::MemoryPlatform platform_;
  unsigned count_ = 0;
#endif
};

}  // namespace engine::testing
