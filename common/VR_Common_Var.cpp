#include "VR_Common_Var.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "VR_Common_Const.h"
#include "text/Numbers.h"

namespace vr {

std::wstring ProgramDir;
TSettings Settings;
std::wstring LanguageCode;
std::wstring LanguageFile;
std::wstring AtesInDir;
std::wstring AtesOutDir;
TStartXmlObject StartXml;

namespace {

constexpr wchar_t kOptionsSection[] = L"options";
constexpr wchar_t kEnglishCode[] = L"ENG";
constexpr wchar_t kRussianCode[] = L"RUS";
constexpr wchar_t kEnglishLanguageFile[] = L"EngView.lng";

// One settings file, read key by key. A key is read as text with an empty default, so that a
// missing key and an empty value look alike and both keep the field's default.
class OptionsReader {
 public:
  OptionsReader(os::IProfile& profile, std::wstring file)
      : profile_(profile), file_(std::move(file)) {}

  std::wstring Text(const wchar_t* key, const std::wstring& defaultValue) {
    return profile_.ReadString(file_, kOptionsSection, key, defaultValue);
  }
  bool Boolean(const wchar_t* key, bool defaultValue) {
    return text::BooleanOr(Text(key, L""), defaultValue);
  }
  std::int32_t Integer(const wchar_t* key, std::int32_t defaultValue) {
    return text::IntegerOr(Text(key, L""), defaultValue);
  }
  std::int32_t IntegerInRange(const wchar_t* key, std::int32_t low, std::int32_t high,
                              std::int32_t defaultValue) {
    return text::IntegerInRangeOr(Text(key, L""), low, high, defaultValue);
  }
  std::uint8_t Byte(const wchar_t* key, std::uint8_t defaultValue) {
    return static_cast<std::uint8_t>(IntegerInRange(key, 0, 255, defaultValue));
  }
  double Double(const wchar_t* key, double defaultValue) {
    return text::DoubleOr(Text(key, L""), defaultValue);
  }

 private:
  os::IProfile& profile_;
  std::wstring file_;
};

// The folder part of a file name, up to and including its last "\".
std::wstring FolderOf(const std::wstring& fileName) {
  const auto slash = fileName.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : fileName.substr(0, slash + 1);
}

}  // namespace

void LoadSettings(os::IProfile& profile) {
  // The program-wide number format (decimal ".", no use of a thousands separator) needs no
  // setting here: every conversion between numbers and text in the program is made
  // locale-independent with "." (text/Numbers.h), so the user's regional settings never apply.
  const TSettings defaults;
  TSettings& s = Settings;
  OptionsReader file(profile, ProgramDir + SettingsSubDir + SettingsFileName);

  s.forMVD = false;
  s.forGE = file.Boolean(L"forGE", defaults.forGE);
  s.Person = 0;
  s.FilterType = file.Byte(L"FilterType", defaults.FilterType);
  s.DefaultRegType = static_cast<Tregtype>(
      file.IntegerInRange(L"DefaultRegType", rtType0, rtType7, defaults.DefaultRegType));
  s.doformshow = file.Boolean(L"doformshow", defaults.doformshow);
  s.DebugPrint = file.Boolean(L"DebugPrint", defaults.DebugPrint);
  s.DebugMy = file.Boolean(L"DebugMy", defaults.DebugMy);
  s.MinmVEnabled = file.Boolean(L"MinmVEnabled", defaults.MinmVEnabled);
  s.PoverkaView = file.Boolean(L"PoverkaView", defaults.PoverkaView);
  s.QuelvixDebug = file.Boolean(L"QuelvixDebug", defaults.QuelvixDebug);
  s.ECGAtRestWork = file.Boolean(L"ECGAtRestWork", defaults.ECGAtRestWork);
  s.OnlyDecode = file.Boolean(L"onlydecode", defaults.OnlyDecode);
  s.SaveSwap = file.Boolean(L"saveswap", defaults.SaveSwap);
  s.ChannelGain = file.Double(L"Channel1Gain", defaults.ChannelGain);
  s.ChannelGain12 = file.Double(L"Channel2Gain", defaults.ChannelGain12);
  s.GroupProcess = file.Boolean(L"GroupProcess", defaults.GroupProcess);
  s.EnabledScrining = file.Boolean(L"EnabledScrining", defaults.EnabledScrining);
  s.HardwareType = file.Integer(L"HardwareType", defaults.HardwareType);
  s.LanguageSetting = file.Text(L"LanguageSetting", defaults.LanguageSetting);
  s.New_Reg = file.Byte(L"new_reg", defaults.New_Reg);
  s.NurseMode = file.Boolean(L"NurseMode", defaults.NurseMode);
  s.DoctorMode = file.Boolean(L"DoctorMode", defaults.DoctorMode);
  s.EMIASTESTINGMODE = file.Boolean(L"EMIASTESTINGMODE", defaults.EMIASTESTINGMODE);
  s.EMIASEMULATINGMODE = file.Boolean(L"EMIASEMULATINGMODE", defaults.EMIASEMULATINGMODE);
  s.RegEmulating = file.Boolean(L"RegEmulating", defaults.RegEmulating);
  s.AriadnaSearchTesting = file.Boolean(L"AriadnaSearchTesting", defaults.AriadnaSearchTesting);
  s.UserIsMS = file.Boolean(L"UserIsMS", defaults.UserIsMS);
  s.PraktikaSearchTesting = file.Boolean(L"PraktikaSearchTesting", defaults.PraktikaSearchTesting);
  s.PraktikaTesting = file.Boolean(L"PraktikaTesting", defaults.PraktikaTesting);
}

void InitializeCommonVar(os::ISystem& system, os::IProfile& profile) {
  ProgramDir = FolderOf(system.ModuleFileName());
  LoadSettings(profile);
  LanguageFile.clear();
  LanguageCode = kRussianCode;
  // Exact comparison: "eng" in lower case keeps Russian.
  if (Settings.LanguageSetting == kEnglishCode) {
    LanguageFile = ProgramDir + L"Settings" + L"\\" + kEnglishLanguageFile;
    LanguageCode = kEnglishCode;
  }
  AtesInDir = ProgramDir + L"AtesIn" + L"\\";
  AtesOutDir = ProgramDir + L"AtesOut" + L"\\";
}

void FinalizeCommonVar() {
  StartXml.clear();
  AtesOutDir.clear();
  AtesInDir.clear();
  LanguageFile.clear();
  LanguageCode.clear();
  Settings = TSettings{};
  ProgramDir.clear();
}

}  // namespace vr
