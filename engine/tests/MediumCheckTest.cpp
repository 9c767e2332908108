// A medium that checks itself: the findings of CheckMedium on a complete medium spoilt in one way
// at a time, and installation runs from a medium whose manifest no longer fits one file.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "InstallationFixture.h"
#include "engine/FileOperations.h"
#include "engine/MediumCheck.h"
#include "engine/MediumCopy.h"
#include "engine/MediumManifest.h"
#include "engine/ProgressLines.h"
#include "os/testing/FileHelpers.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::testing::WriteBytes;
using Lines = std::vector<std::wstring>;

// Renamed in two steps: a rename that changes letter case alone may change nothing (Wine's).
void Rename(os::IFileSystem& fs, const std::wstring& from, const std::wstring& to) {
  ASSERT_EQ(fs.Move(from, from + L".renamed"), 0u);
  ASSERT_EQ(fs.Move(from + L".renamed", to), 0u);
}

// One byte of a medium file changed, as a scratch on a disc does.
void Scratch(os::IFileSystem& fs, const std::wstring& path) {
  std::string bytes = os::testing::ReadBytes(fs, path).value_or("");
  ASSERT_FALSE(bytes.empty());
  fs.SetAttributes(path, os::attr::kNormal);
  bytes[bytes.size() / 2] ^= 0x20;
  WriteBytes(fs, path, bytes);
}

TEST(CheckMedium, FindsWhatIsMissingMisnamedDamagedOrUnlisted) {
  testing::TestPlatform platform;
  os::IFileSystem& fs = platform.Fs();
  const std::wstring manifestText = L"SHA256SUMS";
  struct Case {
    const char* name;
    std::function<void(const std::wstring& medium)> spoil;
    bool newManifest;  // the manifest made again after spoiling
    Lines findings;
    const wchar_t* releaseSet;
  };
  const Case cases[] = {
      {"complete", [](const std::wstring&) {}, false, {}, L"V150612"},
      {"a newer set that sorts first",
       [&](const std::wstring& m) {
         ASSERT_EQ(fs.CreateFolder(m + L"backup\\V010113"), 0u);
         WriteBytes(fs, m + L"backup\\V010113\\Install.cmd", "exit 0\r\n");
       },
       true,
       {},
       L"V010113"},
      {"missing database",
       [&](const std::wstring& m) { fs.RemoveFile(m + L"DTAfb\\R40.FDB"); },
       false,
       {L"Нет файла \"DTAfb\\R40.FDB\".",
        L"Нет файла \"DTAfb\\R40.FDB\", указанного в SHA256SUMS."},
       L"V150612"},
      {"font in other letter case",
       [&](const std::wstring& m) {
         Rename(fs, m + L"fonts\\verdana.TTF", m + L"fonts\\VERDANA.TTF");
       },
       false,
       {L"Имя файла \"fonts\\VERDANA.TTF\" отличается регистром букв от \"fonts\\verdana.TTF\".",
        L"Имя файла \"fonts\\verdana.TTF\" в SHA256SUMS отличается регистром букв от имени на "
        L"носителе \"fonts\\VERDANA.TTF\": sha256sum -c на записанном диске не найдёт этот файл."},
       L"V150612"},
      {"server folder in other letter case",
       [&](const std::wstring& m) { Rename(fs, m + L"Firebird", m + L"FIREBIRD"); },
       false,
       {L"Имя папки \"FIREBIRD\" отличается регистром букв от \"Firebird\".",
        L"Имя папки \"Firebird\" в SHA256SUMS отличается регистром букв от имени на носителе "
        L"\"FIREBIRD\": sha256sum -c на записанном диске не найдёт файлов в ней."},
       L"V150612"},
      {"missing DPInst variant",
       [&](const std::wstring& m) { fs.RemoveFile(m + L"Usbprep\\DPInstIA64.exe"); },
       true,
       {L"Нет файла \"Usbprep\\DPInstIA64.exe\"."},
       L"V150612"},
      {"text instead of a font",
       [&](const std::wstring& m) { WriteBytes(fs, m + L"fonts\\COUR.TTF", "not a font"); },
       true,
       {L"Файл \"fonts\\COUR.TTF\" не является шрифтом TrueType: в нём нет названия шрифта."},
       L"V150612"},
      {"release information of version 2",
       [&](const std::wstring& m) {
         fs.SetAttributes(m + L"Updater\\ReleaseInfo", os::attr::kNormal);
         WriteBytes(fs, m + L"Updater\\ReleaseInfo",
                    "<ROOT><Version>2</Version><Level>0</Level></ROOT>");
       },
       true,
       {L"Файл \"Updater\\ReleaseInfo\" не годится: Cannot get release information, error: "
        L"unknown release file version."},
       L"V150612"},
      {"a set without its date",
       [&](const std::wstring& m) {
         ASSERT_EQ(fs.CreateFolder(m + L"backup\\Latest"), 0u);
         WriteBytes(fs, m + L"backup\\Latest\\Install.cmd", "exit 0\r\n");
       },
       true,
       {L"Имя папки выпуска \"backup\\Latest\" не оканчивается датой выпуска из шести цифр "
        L"(ДДММГГ)."},
       L""},
      {"one byte changed",
       [&](const std::wstring& m) { Scratch(fs, m + L"Firebird\\udf\\fbudf.sql"); },
       false,
       {L"Файл \"Firebird\\udf\\fbudf.sql\" повреждён: его содержимое не совпадает с контрольной "
        L"суммой в SHA256SUMS."},
       L"V150612"},
      {"a file not listed",
       [&](const std::wstring& m) { WriteBytes(fs, m + L"extra.txt", "x"); },
       false,
       {L"Файл \"extra.txt\" не указан в SHA256SUMS."},
       L"V150612"},
      {"no manifest",
       [&](const std::wstring& m) { fs.RemoveFile(m + manifestText); },
       false,
       {L"Нет файла контрольных сумм \"SHA256SUMS\": содержимое файлов носителя не проверено."},
       L"V150612"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring medium = platform.NewScratchFolder();
    testing::BuildMedium(fs, medium);
    testing::CompleteMedium(fs, medium);
    testing::WriteManifest(fs, platform.Get().crypto, medium);
    c.spoil(medium);
    if (c.newManifest) {
      fs.RemoveFile(medium + manifestText);
      testing::WriteManifest(fs, platform.Get().crypto, medium);
    }
    const MediumReport report = CheckMedium(platform.Get(), medium);
    EXPECT_EQ(report.findings, c.findings);
    EXPECT_EQ(report.releaseSet, c.releaseSet);
  }

#ifndef _WIN32
  // A junction on the medium is named and not entered, what lies below it neither hashed nor
  // missed; the progress reaches every listed file.
  {
    const std::wstring medium = platform.NewScratchFolder();
    testing::BuildMedium(fs, medium);
    testing::CompleteMedium(fs, medium);
    testing::WriteManifest(fs, platform.Get().crypto, medium);
    const std::size_t listed = MediumFiles(fs, medium).size();
    ASSERT_TRUE(platform.Doubles().fs.MarkReparsePoint(medium + L"Usbprep\\Package"));
    CheckProgress last;
    std::uint64_t calls = 0;
    const MediumReport report = CheckMedium(platform.Get(), medium, [&](const CheckProgress& p) {
      EXPECT_GE(p.bytes, last.bytes);
      last = p;
      ++calls;
    });
    const Lines findings{L"Нет папки \"Usbprep\\Package\".",
                         L"На носителе есть ссылка \"Usbprep\\Package\" (символическая ссылка "
                         L"или точка соединения): она не проверяется, носителю она не нужна."};
    EXPECT_EQ(report.findings, findings);
    EXPECT_EQ(report.filesVerified, listed - 2);
    EXPECT_EQ(last.filesDone, listed);
    EXPECT_EQ(last.files, listed);
    EXPECT_GT(last.bytes, 0u);
    EXPECT_GE(calls, listed);
  }
#endif

  // A manifest that is no manifest is named with its line.
  const std::wstring medium = platform.NewScratchFolder();
  testing::BuildMedium(fs, medium);
  testing::CompleteMedium(fs, medium);
  WriteBytes(fs, medium + manifestText, "0123  DTAfb/R40.FDB\n");
  const MediumReport report = CheckMedium(platform.Get(), medium);
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_EQ(report.findings[0],
            L"Файл контрольных сумм \"" + fs.FullPath(medium + manifestText) +
                L"\" установочного носителя не годится: строка 1: ожидаются 64 "
                L"шестнадцатеричные цифры, пробел, пробел или \"*\" и имя файла.");
}

class DamagedMediumTest : public testing::InstallationFixture {};

// A scratched file ends the run at its own line: the copy removed, the busy region left, the
// error naming the file on the medium. The database of a reinstallation stays the one in use.
TEST_F(DamagedMediumTest, AnInstallationStopsAtTheDamagedFile) {
  const struct {
    const char* name;
    const wchar_t* file;      // on the medium
    const wchar_t* target;    // where its copy would land
    std::size_t linesBefore;  // completed lines before the file's own
    bool reinstall;
  } cases[] = {
      {"fourth server file", L"Firebird\\ib_util.Dll", L"ib_util.Dll", 4 + 3, false},
      {"database of a reinstallation", L"DTAfb\\R40.FDB", L"DTAfb\\R40.FDB", 2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();  // a medium and a target of its own
    if (c.reinstall) {
      ASSERT_TRUE(Run());
      WriteBytes(fs(), Target(L"DTAfb\\R40.FDB"), "the clinic's patients");
    }
    testing::WriteManifest(fs(), platform_.Get().crypto, medium_);
    Scratch(fs(), Medium(c.file));
    const std::wstring message = RunRaising();
    EXPECT_EQ(message, DamagedMediumFileText(fs().FullPath(Medium(c.file))));
    ASSERT_EQ(progress_.lines.size(), c.linesBefore + 1);
    const std::wstring name(c.target);
    EXPECT_EQ(progress_.lines.back(), lines::CopyingFile(name.substr(name.rfind(L'\\') + 1)));
    EXPECT_TRUE(progress_.lines[c.linesBefore - 1].ends_with(lines::kDone));
    EXPECT_FALSE(progress_.busy);
    if (c.reinstall) {
      EXPECT_EQ(os::testing::ReadBytes(fs(), Target(c.target)), "the clinic's patients");
      os::ErrorCode error = 0;
      EXPECT_EQ(os::testing::FindNames(fs(), Target(L"DTAfb\\*"), error).size(), 1u)
          << "no partial copy, no dated one";
    } else {
      EXPECT_FALSE(FileExists(fs(), Target(c.target)));
      EXPECT_FALSE(FileExists(fs(), Target(L"icudt30.Dll")));  // the next file
    }
  }

  // A manifest that cannot be read stops the run before anything is written.
  SetUp();
  WriteBytes(fs(), Medium(L"SHA256SUMS"), "not a manifest\n");
  EXPECT_TRUE(RunRaising().starts_with(L"Файл контрольных сумм \"")) << progress_.lines.size();
  EXPECT_TRUE(progress_.calls.empty());
  EXPECT_FALSE(FolderExists(fs(), request_.TargetPath));
}

}  // namespace
}  // namespace engine
