#include "engine/Fonts.h"

#include <vector>

#include "Error.h"
#include "VR_Common_Proc.h"
#include "engine/FileOperations.h"

namespace engine {
namespace {

// A title longer than this is no title but a broken answer of the query.
constexpr std::uint32_t kMaxTitleBytes = 64 * 1024;

// Unloads a font resource when the query that needed it is done, whatever way it ends.
class LoadedFont {
 public:
  LoadedFont(os::IFonts& fonts, const std::wstring& path) : fonts_(fonts), path_(path) {}
  LoadedFont(const LoadedFont&) = delete;
  LoadedFont& operator=(const LoadedFont&) = delete;
  ~LoadedFont() { fonts_.RemoveFontFile(path_); }

 private:
  os::IFonts& fonts_;
  const std::wstring& path_;
};

std::wstring ProgramFolder(os::ISystem& system) {
  const std::wstring program = system.ModuleFileName();
  const auto delimiter = program.find_last_of(L"\\:");
  std::wstring folder =
      delimiter == std::wstring::npos ? std::wstring() : program.substr(0, delimiter + 1);
  if (folder.empty() || folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}

[[noreturn]] void RaiseRegistryError(const std::wstring& valueName) {
  throw OperatorError(L"Failed to set data for '" + valueName + L"'");
}

void RegisterFont(os::IRegistry& registry, const std::wstring& valueName,
                  const std::wstring& fontFile) {
  os::ErrorCode error = os::error::kSuccess;
  const auto key = registry.OpenKey(os::RegistryRoot::kLocalMachine, std::wstring(kFontsKey),
                                    os::keyaccess::kAllAccess, error);
  if (!key || key->WriteString(valueName, fontFile) != os::error::kSuccess) {
    RaiseRegistryError(valueName);
  }
  key->Flush();
}

}  // namespace

std::wstring FontInstalledLine(std::wstring_view title) {
  // "у", the Latin "c" (U+0063), then "тановлен".
  return L"Шрифт <" + std::wstring(title) + L"> у" + L"\x0063" + L"тановлен";
}

void InstallFonts(IInstallProgress& progress, os::Platform& platform) {
  const std::wstring windows = vr::GetWindowsFolder(platform.system);
  if (windows.empty()) {
    // Without it the fonts folder would be a relative "fonts\": the medium's own, say.
    return;
  }
  const FontFolders folders{ProgramFolder(platform.system) + L"fonts\\", windows + L"fonts\\"};
  for (const std::wstring_view file : kFontFiles) {
    InstallFont(progress, platform, folders, std::wstring(file));
  }
}

void InstallFont(IInstallProgress& progress, os::Platform& platform, const FontFolders& folders,
                 const std::wstring& FontFile) {
  const std::wstring installed = folders.system + FontFile;
  if (FileExists(platform.fs, installed)) {
    return;
  }
  const std::wstring title = GetFontTitle(platform.fonts, folders.source + FontFile);
  if (!CopySingleFile(platform.fs, folders.source + FontFile, installed)) {
    platform.fs.RemoveFile(installed);
    return;
  }
  RegisterFont(platform.registry, title + L" (TrueType)", FontFile);

  // Known to the running session and every window at once; after a restart the system loads it
  // from its file and registry value.
  platform.fonts.AddFontFile(installed);
  platform.fonts.BroadcastFontChange();
  platform.fonts.RemoveFontFile(installed);
  platform.fonts.BroadcastFontChange();

  progress.Add(FontInstalledLine(title));
}

std::wstring GetFontTitle(os::IFonts& fonts, const std::wstring& FontPath) {
  if (!fonts.HasFontResourceInfo()) {
    return {};
  }
  if (fonts.AddFontFile(FontPath) == 0) {
    return {};
  }
  const LoadedFont loaded(fonts, FontPath);
  std::uint32_t size = 0;
  fonts.FontResourceInfo(FontPath, size, nullptr, os::fontinfo::kDescription);
  if (size < sizeof(char16_t) || size > kMaxTitleBytes) {
    return {};
  }
  // One unit more than asked for and all zero: the text ends in the buffer even when the query
  // fails or fills it to the last byte.
  std::vector<char16_t> buffer(size / sizeof(char16_t) + 1, u'\0');
  fonts.FontResourceInfo(FontPath, size, buffer.data(), os::fontinfo::kDescription);
  std::wstring title;
  for (const char16_t unit : buffer) {
    if (unit == u'\0') {
      break;
    }
    title.push_back(static_cast<wchar_t>(unit));
  }
  return title;
}

}  // namespace engine
