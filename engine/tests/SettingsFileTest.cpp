// The settings-file writer on the test's file system (the real one under Wine, where the
// system's own profile reader checks what it wrote). The code page is the locale double's
// Windows-1251 in both builds.
#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "Raised.h"
#include "engine/SettingsFile.h"
#include "os/testing/FakeLocale.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/ProfileForTests.h"
#include "os/testing/TestEnvironment.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::testing::ReadBytes;
using os::testing::WriteBytes;
using testing::RaisedMessage;

// UTF-16 LE bytes of an ASCII or Cyrillic text, byte-order mark first.
std::string Utf16Le(std::wstring_view text) {
  std::string bytes = "\xFF\xFE";
  for (const wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  return bytes;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    root_ = env_->NewScratchFolder();
    file_ = root_ + L"virelta.ini";
  }
  os::IFileSystem& fs() { return env_->Fs(); }
  SettingsFile Open() { return SettingsFile(fs(), locale_, file_); }

  // Reads `before` in, sets FilterType 0 and HardwareType 1 in [options], writes it back.
  std::optional<std::string> Rewrite(const std::string& before) {
    WriteBytes(fs(), file_, before);
    SettingsFile settings = Open();
    settings.WriteInteger(L"options", L"FilterType", 0);
    settings.WriteInteger(L"options", L"HardwareType", 1);
    settings.UpdateFile();
    return ReadBytes(fs(), file_);
  }

  std::unique_ptr<os::testing::TestEnvironment> env_;
  os::testing::FakeLocale locale_;
  std::wstring root_;
  std::wstring file_;
};

TEST_F(SettingsFileTest, ANewFileHoldsExactlyItsSectionAndKeys) {
  SettingsFile settings = Open();
  settings.WriteInteger(L"options", L"FilterType", 0);
  settings.WriteInteger(L"options", L"HardwareType", 1);
  settings.UpdateFile();
  EXPECT_EQ(ReadBytes(fs(), file_), "[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n");

  // The system's reader finds what was written.
  const auto profile = os::testing::MakeTestProfile(*env_);
  EXPECT_EQ(profile->ReadString(file_, L"options", L"HardwareType", L"-"), L"1");
  EXPECT_EQ(profile->ReadString(file_, L"options", L"FilterType", L"-"), L"0");
}

TEST_F(SettingsFileTest, AnExistingFileKeepsEverythingElse) {
  struct Case {
    const char* what;
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"values replaced in place, other sections kept",
       "[Printer]\r\nName=A4\r\n\r\n[options]\r\nDebugPrint=1\r\nFilterType=3\r\n"
       "HardwareType=7\r\nLanguageSetting=ENG\r\n\r\n[Last]\r\nX=1\r\n\r\n",
       "[Printer]\r\nName=A4\r\n\r\n[options]\r\nDebugPrint=1\r\nFilterType=0\r\n"
       "HardwareType=1\r\nLanguageSetting=ENG\r\n\r\n[Last]\r\nX=1\r\n\r\n"},
      {"names found without letter case; the key takes the spelling written",
       "[OPTIONS]\r\nfiltertype = 3\r\n", "[OPTIONS]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n"},
      {"a missing section is added at the end", "[Printer]\r\nName=A4",
       "[Printer]\r\nName=A4\r\n\r\n[options]\r\nFilterType=0\r\n"
       "HardwareType=1\r\n\r\n"},
      {"odd lines stay where they were; trailing blank lines become one",
       "free text\r\n\r\n[options]\r\n; a comment\r\nno equals sign\r\n\r\nFilterType=3\r\n"
       "\r\n\r\n  \r\n[Other]\r\n=no key\r\n",
       "free text\r\n\r\n[options]\r\n; a comment\r\nno equals sign\r\n\r\nFilterType=0\r\n"
       "HardwareType=1\r\n\r\n[Other]\r\n=no key\r\n\r\n"},
      {"LF and CR line ends become CR LF", "[options]\nFilterType=5\rB=2\n",
       "[options]\r\nFilterType=0\r\nB=2\r\nHardwareType=1\r\n\r\n"},
      {"a section twice: the first is changed, the second kept as it was",
       "[options]\r\nA=1\r\n\r\n[options]\r\nFilterType=9\r\n\r\n",
       "[options]\r\nA=1\r\nFilterType=0\r\nHardwareType=1\r\n\r\n[options]\r\nFilterType="
       "9\r\n\r\n"},
      {"a header with blanks and a comment is kept as written",
       "  [ options ] ; main\r\nFilterType=2\r\n",
       "  [ options ] ; main\r\nFilterType=0\r\nHardwareType=1\r\n\r\n"},
      {"Cyrillic in the ANSI code page survives byte for byte",
       "[\xCF\xF0\xE8\xED\xF2\xE5\xF0]\r\n\xC8\xEC\xFF=\xC0\xC1\r\n",
       "[\xCF\xF0\xE8\xED\xF2\xE5\xF0]\r\n\xC8\xEC\xFF=\xC0\xC1\r\n\r\n[options]\r\nFilterType="
       "0\r\n"
       "HardwareType=1\r\n\r\n"},
      {"an empty file", "", "[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Rewrite(c.before), c.after);
    // What was written reads back to itself.
    EXPECT_EQ(Rewrite(c.after), c.after);
  }
}

TEST_F(SettingsFileTest, KeysAreReadWithoutLetterCaseFromTheFirstSection) {
  WriteBytes(fs(), file_,
             locale_
                 .ToAnsi(L"[Опции]\r\nКлюч = значение \r\n[Options]\r\nA=1\r\nA=2\r\n"
                         L"[options]\r\nB=3\r\n")
                 .value());
  const SettingsFile settings = Open();
  EXPECT_EQ(settings.ReadString(L"опции", L"КЛЮЧ", L"-"), L"значение");
  EXPECT_EQ(settings.ReadString(L"OPTIONS", L"a", L"-"), L"1");
  EXPECT_EQ(settings.ReadString(L"options", L"B", L"-"), L"-");  // only the first section counts
  EXPECT_EQ(settings.ReadString(L"none", L"A", L"-"), L"-");
}

TEST_F(SettingsFileTest, IntegersAreDecimalText) {
  const std::pair<std::int32_t, std::string> cases[] = {{0, "0"},
                                                        {1, "1"},
                                                        {-12, "-12"},
                                                        {1234567, "1234567"},
                                                        {INT_MAX, "2147483647"},
                                                        {INT_MIN, "-2147483648"}};
  for (const auto& [value, text] : cases) {
    SettingsFile settings = Open();
    settings.WriteInteger(L"s", L"k", value);
    settings.UpdateFile();
    EXPECT_EQ(ReadBytes(fs(), file_), "[s]\r\nk=" + text + "\r\n\r\n");
  }
}

TEST_F(SettingsFileTest, AUtf16FileIsWrittenBackInUtf16) {
  WriteBytes(fs(), file_, Utf16Le(L"[Принтер]\r\nИмя=Лазерный\r\n"));
  SettingsFile settings = Open();
  EXPECT_EQ(settings.FileEncoding(), SettingsFile::Encoding::kUtf16Le);
  settings.WriteString(L"Common", L"Disk", L"I");
  settings.UpdateFile();
  EXPECT_EQ(ReadBytes(fs(), file_),
            Utf16Le(L"[Принтер]\r\nИмя=Лазерный\r\n\r\n[Common]\r\nDisk=I\r\n\r\n"));
  const auto profile = os::testing::MakeTestProfile(*env_);
  EXPECT_EQ(profile->ReadString(file_, L"Common", L"Disk", L"-"), L"I");
  EXPECT_EQ(profile->ReadString(file_, L"Принтер", L"Имя", L"-"), L"Лазерный");
}

TEST_F(SettingsFileTest, AUtf8FileWithItsMarkStaysUtf8) {
  WriteBytes(fs(), file_, "\xEF\xBB\xBF[A]\r\nK=\xD0\x96\r\n");
  SettingsFile settings = Open();
  settings.WriteString(L"A", L"L", L"Ж");
  settings.UpdateFile();
  EXPECT_EQ(ReadBytes(fs(), file_), "\xEF\xBB\xBF[A]\r\nK=\xD0\x96\r\nL=\xD0\x96\r\n\r\n");
}

TEST_F(SettingsFileTest, TextTheCodePageLacksSwitchesToUtf16) {
  SettingsFile settings = Open();
  settings.WriteString(L"A", L"Name", L"日本");  // neither character is in Windows-1251
  settings.UpdateFile();
  EXPECT_EQ(settings.FileEncoding(), SettingsFile::Encoding::kUtf16Le);
  std::string expected = Utf16Le(L"[A]\r\nName=");
  expected += "\xE5\x65\x2C\x67";  // U+65E5 U+672C
  expected += Utf16Le(L"\r\n\r\n").substr(2);
  EXPECT_EQ(ReadBytes(fs(), file_), expected);
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenRaisesTheCreateError) {
  struct Case {
    std::wstring file;
    bool readOnly;
    os::ErrorCode error;
  };
  const Case cases[] = {
      {L"readonly.ini", true, os::error::kAccessDenied},
      {L"no folder\\virelta.ini", false, os::error::kPathNotFound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    file_ = root_ + c.file;
    if (c.readOnly) {
      WriteBytes(fs(), file_, "[options]\r\nFilterType=3\r\n");
      ASSERT_EQ(fs().SetAttributes(file_, os::attr::kReadOnly), 0u);
    }
    SettingsFile settings = Open();
    settings.WriteInteger(L"options", L"FilterType", 0);
    EXPECT_EQ(RaisedMessage([&] { settings.UpdateFile(); }),
              L"Cannot create file \"" + fs().FullPath(file_) + L"\". " + fs().ErrorText(c.error));
    if (c.readOnly) {
      EXPECT_EQ(ReadBytes(fs(), file_), "[options]\r\nFilterType=3\r\n");
    }
  }
}

TEST_F(SettingsFileTest, AFolderInTheFilesPlaceCannotBeReadAndIsNotReplaced) {
  ASSERT_EQ(fs().CreateFolder(file_), 0u);
  const std::wstring message = RaisedMessage([&] { Open(); });
  EXPECT_TRUE(message.starts_with(L"Cannot open file \"" + fs().FullPath(file_) + L"\". "))
      << text::ToUtf8(message);
}

}  // namespace
}  // namespace engine
