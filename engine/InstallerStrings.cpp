#include "engine/InstallerStrings.h"

#include "VR_Common_Proc.h"
#include "engine/InstallRequest.h"

namespace engine {

std::wstring InstallerString(os::ISystem& system, unsigned id) {
  return vr::LoadStringFromResource(system, system.ModuleHandle(), id);
}

std::wstring DefaultTargetFolder(os::ISystem& system) {
  return L"C:\\" + InstallerString(system, VR_STR_APP_NAME);
}

bool IsEditionProductName(os::ILocale& locale, std::wstring_view productName) {
  return locale.ToUpper(productName) == locale.ToUpper(kEditionProductName);
}

bool ReadEditionFlag(os::ISystem& system, os::ILocale& locale) {
  return IsEditionProductName(locale, InstallerString(system, VR_STR_PRODUCT_NAME));
}

std::wstring InstallerFolder(os::ISystem& system) {
  return FolderOfFile(system.ModuleFileName());
}

}  // namespace engine
