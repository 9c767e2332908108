// The installer's string table as a program carrying it reads it: through LoadStringW on its own
// module (the Win32 system seam), Cyrillic intact.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "VR_Common_Proc.h"
#include "engine/InstallerStrings.h"
#include "os/win32/Win32Locale.h"
#include "os/win32/Win32System.h"
#include "engine/resources/StringTableIds.h"
#include "text/Utf.h"

namespace {

class StringTable : public testing::Test {
 protected:
  std::wstring Entry(unsigned id) {
    return vr::LoadStringFromResource(system_, system_.ModuleHandle(), id);
  }
  os::win32::Win32System system_;
};

TEST_F(StringTable, NamesTheComplex) {
  EXPECT_EQ(Entry(VR_STR_APP_NAME), L"Virelta");
  EXPECT_EQ(Entry(VR_STR_PRODUCT_NAME), L"Вирельта");
  EXPECT_EQ(Entry(VR_STR_PRODUCT_DESCRIPTION),
            L"Комплекс суточного мониторирования электрокардиограмм");
  EXPECT_EQ(Entry(VR_STR_MAIN_PROGRAM), L"Virelta.exe");
}

// Entry 3 holds the number of the last entry of the file list; every entry up to it names one
// program or library file, each once, and nothing follows.
TEST_F(StringTable, FileListRunsFromEntry4ToTheNumberInEntry3) {
  const std::wstring last = Entry(VR_STR_LAST_FILE_ENTRY);
  ASSERT_EQ(last, L"21");
  std::vector<std::wstring> names;
  for (unsigned id = VR_STR_MAIN_PROGRAM; id <= 21; ++id) {
    const std::wstring name = Entry(id);
    SCOPED_TRACE(id);
    ASSERT_GT(name.size(), 4u);
    std::wstring extension = name.substr(name.size() - 4);
    for (wchar_t& c : extension) {
      c = static_cast<wchar_t>(std::towlower(c));
    }
    EXPECT_TRUE(extension == L".exe" || extension == L".dll") << text::ToUtf8(name);
    EXPECT_EQ(name.find_first_of(L"\\/:*?\"<> "), std::wstring::npos) << text::ToUtf8(name);
    for (const std::wstring& earlier : names) {
      EXPECT_NE(::CompareStringOrdinal(earlier.c_str(), -1, name.c_str(), -1, TRUE), CSTR_EQUAL)
          << text::ToUtf8(name);
    }
    names.push_back(name);
  }
  EXPECT_EQ(Entry(22), L"");
}

TEST_F(StringTable, GivesTheProposedTargetAndTheShippedEdition) {
  os::win32::Win32Locale locale;
  EXPECT_EQ(engine::DefaultTargetFolder(system_), L"C:\\Virelta");
  EXPECT_FALSE(engine::ReadEditionFlag(system_, locale));
}

}  // namespace
