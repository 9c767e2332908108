// The release step on the whole seam of doubles: which set is chosen, how its script is run, the
// current folder around it, the release level written, and every failure with the file left as
// it was and COM as it was found.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Raised.h"
#include "engine/ReleaseSet.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::testing::FakeProgram;
using os::testing::ProcessStartRecord;
using testing::RaisedMessage;

constexpr char kReleaseInfo[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!-- Сведения о выпуске -->\r\n"
    "<ROOT>\r\n"
    "  <Version>1</Version>\r\n"
    "  <Product name=\"Virelta\">Вирельта</Product>\r\n"
    "  <Level>010111</Level>\r\n"
    "</ROOT>\r\n";

const std::wstring kTarget = L"C:\\Program Files\\Virelta\\";

class ReleaseSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::wstring& folder : {std::wstring(L"C:\\Program Files"), kTarget,
                                       kTarget + L"backup", std::wstring(L"C:\\Kit")}) {
      ASSERT_EQ(fs().CreateFolder(folder), 0u);
    }
    ASSERT_EQ(fs().SetCurrentFolder(L"C:\\Kit"), 0u);
    os::testing::WriteBytes(fs(), kTarget + L"ReleaseInfo", kReleaseInfo);
  }

  os::testing::MemoryFileSystem& fs() { return platform_.fs; }

  // A release set with its script, which notes the current folder when it runs.
  void AddSet(const std::wstring& name, std::uint32_t attributes = 0) {
    const std::wstring folder = kTarget + L"backup\\" + name;
    ASSERT_EQ(fs().CreateFolder(folder), 0u);
    os::testing::WriteBytes(fs(), folder + L"\\Install.cmd", "@echo off\r\n");
    if (attributes != 0) {
      ASSERT_EQ(fs().SetAttributes(folder, attributes | os::attr::kDirectory), 0u);
    }
    FakeProgram script;
    script.exitCode = 1;  // not examined
    script.onStart = [this](const ProcessStartRecord&) {
      currentWhileRunning_.push_back(platform_.processes.CurrentFolder());
    };
    platform_.processes.SetProgram(folder + L"\\Install.cmd", script);
  }

  std::wstring Ran() const {
    const auto& starts = platform_.processes.Starts();
    return starts.empty() ? L"(nothing)" : starts.back().commandLine;
  }

  std::string ReleaseInfo() {
    return os::testing::ReadBytes(fs(), kTarget + L"ReleaseInfo").value_or("?");
  }

  void ExpectComAsFound() const {
    EXPECT_EQ(platform_.xml.ComDepth(), 0);
    EXPECT_EQ(platform_.xml.UnpairedUninitializations(), 0);
    EXPECT_EQ(platform_.xml.LiveObjects(), 0u);
    EXPECT_EQ(platform_.xml.ObjectsReleasedOutsideCom(), 0u);
  }

  os::testing::MemoryPlatform platform_;
  std::vector<std::wstring> currentWhileRunning_;
};

std::string WithLevel(const std::string& level) {
  std::string text = kReleaseInfo;
  return text.replace(text.find("010111"), 6, level);
}

TEST_F(ReleaseSetTest, TheNewestSetRunsInItsFolderAndItsLevelIsWritten) {
  AddSet(L"V311212");
  AddSet(L"V150612");
  AddSet(L"V010113");
  ApplyLatestReleaseSet(platform_.Get(), kTarget);

  ASSERT_EQ(platform_.processes.Starts().size(), 1u);
  const auto& start = platform_.processes.Starts()[0];
  EXPECT_EQ(start.commandLine, L"\"" + kTarget + L"backup\\V010113\\Install.cmd\" ");
  EXPECT_EQ(start.folder, kTarget + L"backup\\V010113");
  EXPECT_EQ(start.showMode, 0u);
  EXPECT_EQ(start.bufferSize, 512u);
  EXPECT_EQ(currentWhileRunning_, std::vector<std::wstring>{kTarget + L"backup\\V010113"});
  EXPECT_EQ(platform_.processes.FolderChanges(),
            (std::vector<std::wstring>{kTarget + L"backup\\V010113\\", kTarget}));
  EXPECT_EQ(platform_.processes.CurrentFolder(), L"C:\\Program Files\\Virelta");
  EXPECT_EQ(platform_.processes.OpenHandleCount(), 0u);
  // Only the level's text changes; declaration, comment, attributes and line breaks stay.
  EXPECT_EQ(ReleaseInfo(), WithLevel("010113"));
  ExpectComAsFound();
}

TEST_F(ReleaseSetTest, TheGreatestDateWinsAndOfEqualDatesTheOneSortingFirstWithoutCase) {
  const struct {
    std::vector<const wchar_t*> sets;
    std::vector<const wchar_t*> hidden;
    const wchar_t* chosen;
    const char* level;
  } cases[] = {
      // 31 December 2012 and 1 January 2013: the later date, whatever the names' order.
      {{L"A311212", L"B010113"}, {}, L"B010113", "010113"},
      {{L"B311212", L"A010113"}, {}, L"A010113", "010113"},
      // The same date: "a" sorts before "B" without letter case (by code, "B" would be first).
      {{L"B150612", L"a150612"}, {}, L"a150612", "150612"},
      {{L"b150612", L"A150612"}, {}, L"A150612", "150612"},
      // A hidden or system set is never chosen, however new.
      {{L"V150612"}, {L"V010120"}, L"V150612", "150612"},
      // "WithOutAnswer" is not a release set.
      {{L"V150612", L"WithOutAnswer"}, {}, L"V150612", "150612"},
      // Years compare as two digits, as the names carry them.
      {{L"V010199", L"V010100"}, {}, L"V010199", "010199"},
      // A set named by its date alone still gives a level: the name less its first character.
      {{L"150612"}, {}, L"150612", "50612"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen);
    os::testing::RemoveTree(fs(), kTarget + L"backup");
    ASSERT_EQ(fs().CreateFolder(kTarget + L"backup"), 0u);
    os::testing::WriteBytes(fs(), kTarget + L"ReleaseInfo", kReleaseInfo);
    for (const wchar_t* set : c.sets) {
      AddSet(set);
    }
    for (const wchar_t* set : c.hidden) {
      AddSet(set, os::attr::kHidden);
    }
    ApplyLatestReleaseSet(platform_.Get(), kTarget);
    EXPECT_EQ(Ran(), L"\"" + kTarget + L"backup\\" + c.chosen + L"\\Install.cmd\" ");
    EXPECT_EQ(ReleaseInfo(), WithLevel(c.level));
  }
  ExpectComAsFound();
}

TEST_F(ReleaseSetTest, WithoutAReleaseSetNothingRunsAndTheFileStays) {
  AddSet(L"V010120", os::attr::kSystem);
  ASSERT_EQ(fs().CreateFolder(kTarget + L"backup\\WithOutAnswer"), 0u);
  os::testing::WriteBytes(fs(), kTarget + L"backup\\V150612.txt", "");
  EXPECT_EQ(RaisedMessage([&] { ApplyLatestReleaseSet(platform_.Get(), kTarget); }),
            L"В папке \"" + kTarget +
                L"backup\\\" нет ни одного выпуска программ: установка не может быть завершена");
  EXPECT_TRUE(platform_.processes.Starts().empty());
  EXPECT_EQ(ReleaseInfo(), kReleaseInfo);
}

TEST_F(ReleaseSetTest, ASetNameWithoutSixDigitsAtItsEndStopsTheStepBeforeAnythingRuns) {
  for (const wchar_t* bad : {L"V15O612", L"Vnew", L"V1506", L"V150612a", L"V 15061"}) {
    SCOPED_TRACE(bad);
    os::testing::RemoveTree(fs(), kTarget + L"backup");
    ASSERT_EQ(fs().CreateFolder(kTarget + L"backup"), 0u);
    AddSet(L"V150612");
    AddSet(bad);
    EXPECT_EQ(RaisedMessage([&] { ApplyLatestReleaseSet(platform_.Get(), kTarget); }),
              std::wstring(L"Имя папки выпуска \"") + bad +
                  L"\" не оканчивается датой выпуска из шести цифр (ДДММГГ)");
  }
  EXPECT_TRUE(platform_.processes.Starts().empty());
  EXPECT_EQ(ReleaseInfo(), kReleaseInfo);
}

TEST_F(ReleaseSetTest, AScriptThatCannotStartEndsTheStepInTheTargetFolder) {
  AddSet(L"V150612");
  ASSERT_EQ(fs().RemoveFile(kTarget + L"backup\\V150612\\Install.cmd"), 0u);
  EXPECT_EQ(RaisedMessage([&] { ApplyLatestReleaseSet(platform_.Get(), kTarget); }),
            L"не могу создать процесс: " + kTarget + L"backup\\V150612\\Install.cmd");
  EXPECT_EQ(platform_.processes.CurrentFolder(), L"C:\\Program Files\\Virelta");
  EXPECT_EQ(ReleaseInfo(), kReleaseInfo);
  ExpectComAsFound();
}

TEST_F(ReleaseSetTest, AMissingReleaseInfoIsReportedWithoutPrefixAfterTheScriptRan) {
  AddSet(L"V150612");
  ASSERT_EQ(fs().RemoveFile(kTarget + L"ReleaseInfo"), 0u);
  EXPECT_EQ(RaisedMessage([&] { ApplyLatestReleaseSet(platform_.Get(), kTarget); }),
            L"Release info file does not exist");
  EXPECT_EQ(platform_.processes.Starts().size(), 1u);
  EXPECT_FALSE(fs().Exists(kTarget + L"ReleaseInfo"));
  ExpectComAsFound();
}

// Every document that cannot take the level: the reason after the common prefix, the file as
// it was, COM as it was found.
TEST_F(ReleaseSetTest, AReleaseInfoThatFailsIsLeftAsItWas) {
  const std::wstring prefix = L"Cannot get release information, error: ";
  const struct {
    std::string content;
    std::wstring message;
  } cases[] = {
      {"<ROOT><Version>2</Version><Level>1</Level></ROOT>",
       prefix + L"unknown release file version"},
      {"<ROOT><Level>1</Level></ROOT>", prefix + L"unknown release file version"},
      {"<ROOT><Version>0</Version><Level>1</Level></ROOT>",
       prefix + L"unknown release file version"},
      {"<ROOT><Version>один</Version><Level>1</Level></ROOT>",
       prefix + L"версия \"один\" не является целым числом"},
      {"<ROOT><Version></Version><Level>1</Level></ROOT>",
       prefix + L"версия \"\" не является целым числом"},
      {"<ROOT><Version>1</Version></ROOT>", prefix + L"в файле нет элемента Level"},
      {"<Release><Version>1</Version><Level>1</Level></Release>",
       prefix + L"в файле нет корневого элемента ROOT"},
      {"<ROOT>\r\n<Version>1</Version>\r\n<Level>1</Leve>\r\n</ROOT>",
       prefix + L"ошибка разбора файла в строке 3: Закрывающий тег \"Leve\" не соответствует "
                L"открывающему \"Level\"."},
      {"", prefix + L"ошибка разбора файла в строке 1: В документе нет элемента верхнего уровня."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.message));
    os::testing::WriteBytes(fs(), kTarget + L"ReleaseInfo", c.content);
    EXPECT_EQ(
        RaisedMessage([&] { UpdateReleaseLevel(platform_.fs, platform_.xml, kTarget, L"150612"); }),
        c.message);
    EXPECT_EQ(ReleaseInfo(), c.content);
    ExpectComAsFound();
  }
}

TEST_F(ReleaseSetTest, VersionOneIsReadWithBlanksAroundIt) {
  const std::string content = "<ROOT><Version>\r\n  1\r\n</Version><Level/></ROOT>";
  os::testing::WriteBytes(fs(), kTarget + L"ReleaseInfo", content);
  UpdateReleaseLevel(platform_.fs, platform_.xml, kTarget, L"150612");
  EXPECT_EQ(ReleaseInfo(), "<ROOT><Version>\r\n  1\r\n</Version><Level>150612</Level></ROOT>");
}

TEST_F(ReleaseSetTest, AFileThatCannotBeWrittenIsReportedAfterThePrefix) {
  ASSERT_EQ(fs().SetAttributes(kTarget + L"ReleaseInfo", os::attr::kReadOnly), 0u);
  EXPECT_EQ(
      RaisedMessage([&] { UpdateReleaseLevel(platform_.fs, platform_.xml, kTarget, L"150612"); }),
      L"Cannot get release information, error: файл не сохранён: " +
          fs().ErrorText(os::error::kAccessDenied));
  EXPECT_EQ(ReleaseInfo(), kReleaseInfo);
  ExpectComAsFound();
}

TEST_F(ReleaseSetTest, FailuresOfTheXmlLibraryAreReportedAfterThePrefix) {
  platform_.xml.FailCreateDocument(true);
  EXPECT_EQ(
      RaisedMessage([&] { UpdateReleaseLevel(platform_.fs, platform_.xml, kTarget, L"150612"); }),
      L"Cannot get release information, error: не удалось создать документ XML: Класс не "
      L"зарегистрирован.");
  platform_.xml.FailCreateDocument(false);
  platform_.xml.FailSetTypedValue(true);
  EXPECT_EQ(
      RaisedMessage([&] { UpdateReleaseLevel(platform_.fs, platform_.xml, kTarget, L"150612"); }),
      L"Cannot get release information, error: ошибка записи элемента Level: Отказ записи "
      L"значения узла (имитация).");
  EXPECT_EQ(ReleaseInfo(), kReleaseInfo);
  EXPECT_EQ(platform_.xml.Saves(), 0u);
  ExpectComAsFound();
}

// A thread whose COM was initialised before keeps it; one where CoInitialize is refused (another
// apartment model) is not uninitialised by this call.
TEST_F(ReleaseSetTest, ComIsLeftAsItWasFound) {
  ASSERT_EQ(platform_.xml.ComInitialize(), 0);
  UpdateReleaseLevel(platform_.fs, platform_.xml, kTarget, L"150612");
  EXPECT_EQ(platform_.xml.ComDepth(), 1);

  constexpr auto kChangedMode = static_cast<std::int32_t>(0x80010106);
  platform_.xml.FailComInitialize(kChangedMode);
  UpdateReleaseLevel(platform_.fs, platform_.xml, kTarget, L"300612");
  EXPECT_EQ(platform_.xml.ComDepth(), 1);
  EXPECT_EQ(platform_.xml.UnpairedUninitializations(), 0);
  EXPECT_EQ(ReleaseInfo(), WithLevel("300612"));
  platform_.xml.ComUninitialize();
}

TEST_F(ReleaseSetTest, DateKeysAndLevelsOfSetFolders) {
  const struct {
    const wchar_t* folder;
    std::optional<int> key;
    const wchar_t* level;
  } cases[] = {
      {L"C:\\V\\backup\\V150612", 120615, L"150612"},
      {L"C:\\V\\backup\\V311299", 991231, L"311299"},
      {L"C:\\V\\backup\\V010100", 101, L"010100"},
      {L"C:\\V\\backup\\Release-010113", 130101, L"elease-010113"},
      {L"C:\\V\\backup\\V1506", std::nullopt, L"1506"},
      {L"C:\\V\\backup\\V15061x", std::nullopt, L"15061x"},
      {L"150612", 120615, L"50612"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReleaseDateKey(c.folder), c.key) << text::ToUtf8(c.folder);
    EXPECT_EQ(ReleaseLevel(c.folder), c.level);
  }
}

}  // namespace
}  // namespace engine
