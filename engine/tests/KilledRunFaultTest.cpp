// An installation stopped at any call into the seam (a power failure, the task manager) and then
// started again from the same medium: the second run completes and leaves the computer as one
// uninterrupted run does, with nothing of the clinic's lost. The stop is taken before each call
// of a complete run in turn, by keeping the disk and the registry as they stood at that call.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "InstallationFixture.h"
#include "engine/Fonts.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/SeamCalls.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::testing::SeamCalls;

// What a computer keeps: every file and folder with its attributes and content (times aside:
// the doubles' clock stands still), and the registry's font values.
struct Kept {
  std::map<std::wstring, std::string> files;
  std::vector<std::string> databaseCopies;  // the dated copies of the database, sorted
  std::map<std::wstring, std::wstring> fonts;
};

// The entries of two maps that differ, one line each; empty when the maps are equal.
template <typename Value>
std::string Differences(const std::map<std::wstring, Value>& got,
                        const std::map<std::wstring, Value>& want) {
  std::string lines;
  const auto show = [](const Value& value) {
    if constexpr (std::is_same_v<Value, std::string>) {
      return value;
    } else {
      return text::ToUtf8(value);
    }
  };
  for (const auto& [key, value] : got) {
    const auto it = want.find(key);
    if (it == want.end() || it->second != value) {
      lines +=
          "\n  " + text::ToUtf8(key) + ": " + show(value) +
          (it == want.end() ? " (not there uninterrupted)" : " instead of " + show(it->second));
    }
  }
  for (const auto& [key, value] : want) {
    if (got.count(key) == 0) {
      lines += "\n  " + text::ToUtf8(key) + " missing";
    }
  }
  return lines;
}

bool IsDatedDatabaseCopy(const std::wstring& name) {
  return name.starts_with(L"R40_") && name.ends_with(L".FDB");
}

class KilledRunTest : public testing::InstallationFixture,
                      public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    InstallationFixture::SetUp();
    auto& doubles = platform_.Doubles();
    doubles.system.SetModuleFileName(medium_ + L"Install.exe");
    ASSERT_EQ(fs().CreateFolder(L"C:\\Windows"), 0u);
    ASSERT_EQ(fs().CreateFolder(L"C:\\Windows\\fonts"), 0u);
    ASSERT_EQ(fs().CreateFolder(Medium(L"fonts")), 0u);
    for (const std::wstring_view font : kFontFiles) {
      const std::wstring path = Medium(L"fonts\\") + std::wstring(font);
      os::testing::WriteBytes(fs(), path, "font " + text::ToUtf8(std::wstring(font)));
      doubles.fonts.SetTitle(path, L"Title of " + std::wstring(font));
    }
    doubles.registry.SetString(os::RegistryRoot::kLocalMachine, std::wstring(kFontsKey),
                               L"Symbol (TrueType)", L"SYMBOL.TTF");
    // With its manifest, so that every copy is checked on its way too.
    testing::WriteManifest(fs(), platform_.Get().crypto, medium_);
    request_.InstallDriver = true;
    if (GetParam()) {
      // A clinic's computer: the complex installed once, then a database, settings of its own
      // and a last number in use.
      ASSERT_TRUE(RunAnsweringYes());
      os::testing::WriteBytes(fs(), Target(L"DTAfb\\R40.FDB"), "the clinic's database");
      os::testing::WriteBytes(fs(), Target(L"Settings\\virelta.ini"),
                              "[options]\r\nFilterType=3\r\nPrinter=A4\r\n\r\n");
      os::testing::WriteBytes(fs(), Target(L"Settings\\lastnum.dta"), "clinic's number");
    }
  }

  bool RunAnsweringYes() {
    progress_ = testing::RecordingProgress();
    progress_.answers = {true};
    return RunInstallation(request_, progress_, platform_.Get());
  }

  void AddFolder(const std::wstring& folder, Kept& kept) {
    std::vector<os::FindEntry> entries;
    fs().Find(folder + L"*", entries);
    for (const auto& entry : entries) {
      if (entry.name == L"." || entry.name == L"..") {
        continue;
      }
      const std::wstring path = folder + entry.name;
      const std::string attributes = std::to_string(entry.attributes);
      if ((entry.attributes & os::attr::kDirectory) != 0) {
        kept.files[path + L"\\"] = attributes;
        AddFolder(path + L"\\", kept);
      } else if (IsDatedDatabaseCopy(entry.name)) {
        kept.databaseCopies.push_back(os::testing::ReadBytes(fs(), path).value_or("?"));
      } else {
        kept.files[path] = attributes + " " + os::testing::ReadBytes(fs(), path).value_or("?");
      }
    }
  }

  Kept WhatIsKept() {
    Kept kept;
    AddFolder(L"C:\\", kept);
    std::sort(kept.databaseCopies.begin(), kept.databaseCopies.end());
    auto& registry = platform_.Doubles().registry;
    const std::wstring key(kFontsKey);
    for (const auto& name : registry.ValueNames(os::RegistryRoot::kLocalMachine, key)) {
      kept.fonts[name] = registry.String(os::RegistryRoot::kLocalMachine, key, name).value_or(L"");
    }
    return kept;
  }
};

TEST_P(KilledRunTest, ASecondRunCompletesAndLosesNothing) {
  auto& doubles = platform_.Doubles();
  const auto diskBefore = doubles.fs.TakeImage();
  const auto registryBefore = doubles.registry.TakeImage();

  std::uint64_t calls = 0;
  {
    SeamCalls::Watch watch([](std::uint64_t) {});
    ASSERT_TRUE(RunAnsweringYes());
    calls = watch.Calls();
  }
  const Kept uninterrupted = WhatIsKept();
  const std::string mediumDatabase = testing::MediumContent(L"DTAfb\\R40.FDB");
  ASSERT_GT(calls, 100u);
  std::cout << "[          ] stopped at each of " << calls << " calls\n";

  for (std::uint64_t stop = 1; stop <= calls; ++stop) {
    SCOPED_TRACE("stopped before call " + std::to_string(stop));
    doubles.fs.PutBack(diskBefore);
    doubles.registry.PutBack(registryBefore);
    os::testing::MemoryFileSystem::Image disk;
    os::testing::MemoryRegistry::Image registry;
    {
      // The run goes on past the stop; what it does after it is thrown away with the images.
      SeamCalls::Watch watch([&](std::uint64_t call) {
        if (call == stop) {
          disk = doubles.fs.TakeImage();
          registry = doubles.registry.TakeImage();
        }
      });
      RunAnsweringYes();
    }
    doubles.fs.PutBack(disk);
    doubles.registry.PutBack(registry);

    ASSERT_TRUE(RunAnsweringYes()) << text::ToUtf8(progress_.lines.back());
    Kept kept = WhatIsKept();
    // A stop after the new database took its place makes the second run keep that one too,
    // under a dated name of its own: one more copy of the medium's database, nothing less.
    auto& copies = kept.databaseCopies;
    for (const auto& copy : uninterrupted.databaseCopies) {
      const auto found = std::find(copies.begin(), copies.end(), copy);
      ASSERT_NE(found, copies.end()) << "lost: " << copy;
      copies.erase(found);
    }
    EXPECT_LE(copies.size(), 1u);
    EXPECT_EQ(std::count(copies.begin(), copies.end(), mediumDatabase),
              static_cast<std::ptrdiff_t>(copies.size()));
    ASSERT_EQ(
        Differences(kept.files, uninterrupted.files) + Differences(kept.fonts, uninterrupted.fonts),
        "");
  }
}

INSTANTIATE_TEST_SUITE_P(, KilledRunTest, ::testing::Bool(), [](const auto& param) {
  return param.param ? "OverAClinicsInstallation" : "IntoANewFolder";
});

}  // namespace
}  // namespace engine
