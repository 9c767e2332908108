// What the registry seam answers, written once: natively the in-memory double, under Wine the
// real registry (below a scratch key of this process under HKEY_CURRENT_USER, removed at the
// end), so the double cannot drift from Windows where the programs rely on it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "os/Registry.h"

#ifdef _WIN32
#include <windows.h>

#include "os/win32/Win32Registry.h"
#else
#include "os/testing/MemoryRegistry.h"
#endif

namespace os {
namespace {

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    registry_ = std::make_unique<win32::Win32Registry>();
    base_ = L"Software\\VireltaTest\\" + std::to_wstring(::GetCurrentProcessId());
#else
    registry_ = std::make_unique<testing::MemoryRegistry>();
    base_ = L"Software\\VireltaTest\\1";
#endif
  }
  void TearDown() override {
#ifdef _WIN32
    ::RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str());
#endif
  }
  std::unique_ptr<IRegistryKey> Create(const std::wstring& path,
                                       std::uint32_t access = keyaccess::kAllAccess) {
    ErrorCode error = 0;
    auto key = registry_->CreateKey(RegistryRoot::kCurrentUser, base_ + path, access, error);
    EXPECT_EQ(error, 0u) << "creating " << path.size();
    return key;
  }
  std::unique_ptr<IRegistryKey> Open(const std::wstring& path, std::uint32_t access,
                                     ErrorCode& error) {
    return registry_->OpenKey(RegistryRoot::kCurrentUser, base_ + path, access, error);
  }
  // A value that is not a string: a REG_DWORD.
  void SetNumber(const std::wstring& path, const std::wstring& name) {
#ifdef _WIN32
    const DWORD value = 7;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, (base_ + path).c_str(), name.c_str(), REG_DWORD,
                                &value, sizeof(value)),
              ERROR_SUCCESS);
#else
    static_cast<testing::MemoryRegistry&>(*registry_)
        .SetNumber(RegistryRoot::kCurrentUser, base_ + path, name, 7);
#endif
  }

  std::unique_ptr<IRegistry> registry_;
  std::wstring base_;
};

TEST_F(RegistryContract, CreatedKeysHoldStringsFoundWithoutLetterCase) {
  const auto key = Create(L"\\Outer\\Inner");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->WriteString(L"Шрифт (TrueType)", L"ARIAL.TTF"), 0u);
  EXPECT_EQ(key->WriteString(L"Empty", L""), 0u);
  EXPECT_EQ(key->Flush(), 0u);

  ErrorCode error = 0;
  const auto again = Open(L"\\OUTER\\inner", keyaccess::kRead, error);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(error, 0u);
  std::wstring value = L"x";
  EXPECT_EQ(again->ReadString(L"шрифт (truetype)", value), 0u);
  EXPECT_EQ(value, L"ARIAL.TTF");
  EXPECT_EQ(again->ReadString(L"EMPTY", value), 0u);
  EXPECT_EQ(value, L"");
}

TEST_F(RegistryContract, AStringIsReplacedAndCreatingAnExistingKeyOpensIt) {
  Create(L"\\K")->WriteString(L"Name", L"first");
  const auto key = Create(L"\\k");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->WriteString(L"NAME", L"second value"), 0u);
  std::wstring value;
  EXPECT_EQ(key->ReadString(L"name", value), 0u);
  EXPECT_EQ(value, L"second value");
}

TEST_F(RegistryContract, MissingKeysAndValuesAreFileNotFound) {
  ErrorCode error = 0;
  EXPECT_EQ(Open(L"\\Nowhere", keyaccess::kRead, error), nullptr);
  EXPECT_EQ(error, error::kFileNotFound);

  const auto key = Create(L"\\Here");
  error = 0;
  EXPECT_EQ(key->OpenSubKey(L"Missing", keyaccess::kRead, error), nullptr);
  EXPECT_EQ(error, error::kFileNotFound);
  std::wstring value = L"unchanged";
  EXPECT_EQ(key->ReadString(L"Missing", value), error::kFileNotFound);
  EXPECT_EQ(value, L"unchanged");
}

TEST_F(RegistryContract, SubKeysOpenRelativeToTheirKey) {
  Create(L"\\Explorer\\Shell Folders")->WriteString(L"Desktop", L"C:\\Users\\op\\Desktop");
  const auto key = Create(L"\\Explorer");
  ErrorCode error = 0;
  const auto sub = key->OpenSubKey(L"shell folders", keyaccess::kRead, error);
  ASSERT_NE(sub, nullptr);
  std::wstring value;
  EXPECT_EQ(sub->ReadString(L"Desktop", value), 0u);
  EXPECT_EQ(value, L"C:\\Users\\op\\Desktop");
}

TEST_F(RegistryContract, ANumberIsNoString) {
  Create(L"\\N");
  SetNumber(L"\\N", L"Count");
  ErrorCode error = 0;
  const auto key = Open(L"\\N", keyaccess::kRead, error);
  std::wstring value = L"unchanged";
  EXPECT_EQ(key->ReadString(L"Count", value), error::kUnsupportedType);
  EXPECT_EQ(value, L"unchanged");
}

TEST_F(RegistryContract, AKeyOpenedForReadingCannotBeWritten) {
  Create(L"\\R");
  ErrorCode error = 0;
  const auto key = Open(L"\\R", keyaccess::kRead, error);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->WriteString(L"Name", L"value"), error::kAccessDenied);
}

TEST_F(RegistryContract, NumbersAreWrittenAndReadAndAKeyIsDeletedInTheViewAskedFor) {
  const std::uint32_t view = keyaccess::kView32;
  auto key = Create(L"\\Entry", keyaccess::kAllAccess | view);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->WriteNumber(L"EstimatedSize", 4100), 0u);
  EXPECT_EQ(key->WriteString(L"Name", L"text"), 0u);
  std::uint32_t number = 0;
  EXPECT_EQ(key->ReadNumber(L"estimatedsize", number), 0u);
  EXPECT_EQ(number, 4100u);
  EXPECT_EQ(key->ReadNumber(L"Name", number), error::kUnsupportedType);
  EXPECT_EQ(key->ReadNumber(L"Missing", number), error::kFileNotFound);
  key.reset();

  EXPECT_EQ(registry_->DeleteKey(RegistryRoot::kCurrentUser, base_ + L"\\Entry", view), 0u);
  ErrorCode error = 0;
  EXPECT_EQ(Open(L"\\Entry", keyaccess::kRead | view, error), nullptr);
  EXPECT_EQ(error, error::kFileNotFound);
  EXPECT_EQ(registry_->DeleteKey(RegistryRoot::kCurrentUser, base_ + L"\\Entry", view),
            error::kFileNotFound);
}

}  // namespace
}  // namespace os
