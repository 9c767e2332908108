#include "engine/Fonts.h"

#include <algorithm>
#include <vector>

#include "Error.h"
#include "VR_Common_Proc.h"
#include "engine/FileOperations.h"
#include "engine/FontNameTable.h"
#include "os/FileContent.h"
#include "os/FileReplace.h"

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

// A font file larger than this is not read for its title.
constexpr std::uint64_t kMaxFontFileBytes = 64ull * 1024 * 1024;

std::wstring WithoutExtension(const std::wstring& fileName) {
  return fileName.substr(0, fileName.rfind(L'.'));
}

bool SameFileName(std::wstring_view a, std::wstring_view b) {
  const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](wchar_t x, wchar_t y) { return upper(x) == upper(y); });
}

// The value name "<title> (TrueType)" already names another font of the list (installed earlier in
// this run, or by an earlier installation): this font gets its file name after the title.
std::wstring DistinctTitle(os::IRegistry& registry, const std::wstring& title,
                           const std::wstring& fontFile) {
  os::ErrorCode error = os::error::kSuccess;
  const auto key = registry.OpenKey(os::RegistryRoot::kLocalMachine, std::wstring(kFontsKey),
                                    os::keyaccess::kQueryValue, error);
  std::wstring registered;
  if (!key || key->ReadString(title + L" (TrueType)", registered) != os::error::kSuccess ||
      SameFileName(registered, fontFile)) {
    return title;
  }
  for (const std::wstring_view other : kFontFiles) {
    if (SameFileName(registered, other)) {
      return title + L" (" + WithoutExtension(fontFile) + L")";
    }
  }
  return title;
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

std::string ReadFontFile(os::IFileSystem& fs, const std::wstring& path) {
  std::string bytes;
  if (os::ReadFileContent(fs, path, bytes, kMaxFontFileBytes) != os::error::kSuccess) {
    return {};
  }
  return bytes;
}

std::wstring FontInstalledLine(std::wstring_view title) {
  // "у", the Latin "c" (U+0063), then "тановлен".
  return L"Шрифт <" + std::wstring(title) + L"> у" + L"\x0063" + L"тановлен";
}

void InstallFonts(IInstallProgress& progress, os::Platform& platform,
                  const MediumDigests* digests) {
  const std::wstring windows = vr::GetWindowsFolder(platform.system);
  if (windows.empty()) {
    // Without it the fonts folder would be a relative "fonts\": the medium's own, say.
    return;
  }
  const FontFolders folders{ProgramFolder(platform.system) + L"fonts\\", windows + L"fonts\\"};
  for (const std::wstring_view file : kFontFiles) {
    InstallFont(progress, platform, folders, std::wstring(file), digests);
  }
}

void InstallFont(IInstallProgress& progress, os::Platform& platform, const FontFolders& folders,
                 const std::wstring& FontFile, const MediumDigests* digests) {
  const std::wstring installed = folders.system + FontFile;
  if (FileExists(platform.fs, installed)) {
    return;
  }
  const std::wstring title =
      DistinctTitle(platform.registry, FontTitle(platform, folders.source + FontFile), FontFile);
  // The copy takes the font's name only once it is registered: a run stopped before that leaves
  // no font file that a later run would take for installed and never register.
  const std::wstring copy = os::ReplacementFileName(installed);
  // A copy a stopped run left under the temporary name is replaced; anything else there (a
  // folder) passes this font by, named with the system's reason.
  if (const os::ErrorCode error = os::ClearLeftover(platform.fs, copy);
      error != os::error::kSuccess) {
    progress.FailureReason(FailureText(platform.fs, copy, error));
    return;
  }
  if (!CopyMediumFile(platform.fs, digests, folders.source + FontFile, copy)) {
    platform.fs.RemoveFile(copy);
    return;
  }
  try {
    RegisterFont(platform.registry, title + L" (TrueType)", FontFile);
  } catch (...) {
    platform.fs.RemoveFile(copy);
    throw;
  }
  if (platform.fs.Move(copy, installed) != os::error::kSuccess) {
    platform.fs.RemoveFile(copy);
    return;
  }

  // Known to the running session and every window at once; after a restart the system loads it
  // from its file and registry value.
  platform.fonts.AddFontFile(installed);
  platform.fonts.BroadcastFontChange();
  platform.fonts.RemoveFontFile(installed);
  platform.fonts.BroadcastFontChange();

  progress.Add(FontInstalledLine(title));
}

std::wstring FontTitle(os::Platform& platform, const std::wstring& fontPath) {
  if (std::wstring title = GetFontTitle(platform.fonts, fontPath); !title.empty()) {
    return title;
  }
  if (std::wstring title = FontTitleFromNameTable(ReadFontFile(platform.fs, fontPath));
      !title.empty()) {
    return title;
  }
  const std::wstring fileName = fontPath.substr(fontPath.find_last_of(L"\\/:") + 1);
  return WithoutExtension(fileName);
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
