// The edition rule and what the installer takes from its string table and its file name: on the
// locale double natively and on Windows' own case mapping under Wine.
#include <gtest/gtest.h>

#include <memory>

#include "engine/InstallerStrings.h"
#include "os/testing/FakeSystem.h"
#include "os/testing/TestLocale.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::testing::FakeSystem;

TEST(EditionFlag, IsTheEditionNameInAnyLetterCase) {
  struct Case {
    const wchar_t* productName;
    bool edition;
  };
  const Case cases[] = {
      {L"Тавола", true},    {L"ТАВОЛА", true},   {L"тавола", true}, {L"тАвОлА", true},
      {L"Вирельта", false}, {L"Тавола ", false},  // compared exactly, blanks included
      {L" Тавола", false},  {L"Тaвола", false},   // a Latin "a"
      {L"Таволга", false},  {L"Tavola", false},  {L"", false},
  };
  const auto locale = os::testing::MakeTestLocale();
  for (const Case& c : cases) {
    EXPECT_EQ(IsEditionProductName(locale->Locale(), c.productName), c.edition)
        << text::ToUtf8(c.productName);
  }
}

class InstallerStringsTest : public testing::Test {
 protected:
  void SetString(unsigned id, std::wstring text) {
    system_.SetString(FakeSystem::kModuleHandle, id, std::move(text));
  }
  FakeSystem system_;
  std::unique_ptr<os::testing::TestLocale> locale_ = os::testing::MakeTestLocale();
};

TEST_F(InstallerStringsTest, DefaultTargetIsDriveCAndTheApplicationName) {
  SetString(0, L"Virelta");
  EXPECT_EQ(DefaultTargetFolder(system_), L"C:\\Virelta");
}

TEST_F(InstallerStringsTest, EditionFlagComesFromTheProductNameEntry) {
  SetString(0, L"Тавола");  // the application name does not count
  SetString(1, L"Вирельта");
  EXPECT_FALSE(ReadEditionFlag(system_, locale_->Locale()));
  SetString(1, L"ТАВОЛА");
  EXPECT_TRUE(ReadEditionFlag(system_, locale_->Locale()));
}

TEST_F(InstallerStringsTest, InstallerFolderIsTheProgramFolder) {
  system_.SetModuleFileName(L"E:\\SETUP\\InstallCli.exe");
  EXPECT_EQ(InstallerFolder(system_), L"E:\\SETUP\\");
  system_.SetModuleFileName(L"E:\\InstallCli.exe");
  EXPECT_EQ(InstallerFolder(system_), L"E:\\");
}

}  // namespace
}  // namespace engine
