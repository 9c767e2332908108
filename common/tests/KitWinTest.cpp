// What every program of the kit carries, checked on this test program itself, which is built
// like the shipped ones.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "kit/KitStartup.h"
#include "os/win32/Handle.h"

namespace {

std::wstring OwnFileName() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return std::wstring(buffer, length);
}

std::wstring VersionString(const std::vector<char>& info, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\041904B0\\") + name;
  if (!::VerQueryValueW(info.data(), key.c_str(), &value, &length) || length == 0) {
    return L"(missing)";
  }
  return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(Kit, VersionResourceNamesProductProgramAndVersion) {
  const std::wstring self = OwnFileName();
  const DWORD size = ::GetFileVersionInfoSizeW(self.c_str(), nullptr);
  ASSERT_NE(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(::GetFileVersionInfoW(self.c_str(), 0, size, info.data()));
  EXPECT_EQ(VersionString(info, L"ProductName"), L"Вирельта");
  EXPECT_EQ(VersionString(info, L"FileDescription"), L"Проверка общих модулей");
  EXPECT_EQ(VersionString(info, L"FileVersion"), L"" VIRELTA_VERSION_TEXT);
  EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"common_win_tests.exe");

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(VIRELTA_VERSION_MS));
}

TEST(Kit, ManifestRunsAsInvokerOnVistaToTen) {
  const HRSRC resource = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(resource, nullptr);
  const HGLOBAL loaded = ::LoadResource(nullptr, resource);
  ASSERT_NE(loaded, nullptr);
  const std::string manifest(static_cast<const char*>(::LockResource(loaded)),
                             ::SizeofResource(nullptr, resource));
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  const char* systems[] = {"e2011457-1546-43c5-a5fe-008deee3d3f0",   // Vista
                           "35138b9a-5d96-4fbd-8e2d-a2440225f93a",   // 7
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",   // 8
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78",   // 8.1
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"};  // 10
  for (const char* id : systems) {
    EXPECT_NE(manifest.find(id), std::string::npos) << id;
  }
  // A console program declares no DPI awareness; window programs do.
  EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
}

// A DLL planted in the current folder loads before the hardening and never after it.
TEST(Kit, HardenedSearchIgnoresADllPlantedInTheCurrentFolder) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder =
      std::wstring(temp) + L"virelta-planted-" + std::to_wstring(::GetCurrentProcessId());
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring self = OwnFileName();
  const std::wstring probe = self.substr(0, self.find_last_of(L'\\') + 1) + L"planted_probe.dll";
  const std::wstring planted = folder + L"\\planted_probe.dll";
  ASSERT_TRUE(::CopyFileW(probe.c_str(), planted.c_str(), FALSE)) << ::GetLastError();
  ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));

  HMODULE before = ::LoadLibraryW(L"planted_probe.dll");
  EXPECT_NE(before, nullptr) << "the probe must load while the search is not restricted";
  if (before != nullptr) {
    ::FreeLibrary(before);
  }
  // Loading by the system folder never takes it, restricted or not.
  HMODULE bySystemFolder = kit::LoadSystemLibrary(L"planted_probe.dll");
  EXPECT_EQ(bySystemFolder, nullptr);
  if (bySystemFolder != nullptr) {
    ::FreeLibrary(bySystemFolder);
  }
  EXPECT_TRUE(kit::HardenDllSearch());
  HMODULE after = ::LoadLibraryW(L"planted_probe.dll");
  EXPECT_EQ(after, nullptr);
  if (after != nullptr) {
    ::FreeLibrary(after);
  }
  for (const wchar_t* name : {L"shell32.dll", L"planted_probe.dll"}) {
    HMODULE system = kit::LoadSystemLibrary(name);
    EXPECT_EQ(system != nullptr, std::wstring(name) == L"shell32.dll");
    if (system != nullptr) {
      ::FreeLibrary(system);
    }
  }

  ::SetCurrentDirectoryW(temp);
  ::DeleteFileW(planted.c_str());
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
