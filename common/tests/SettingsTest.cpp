// The start-up of the complex-wide variables and the main settings file: real files in a
// program folder, read natively through MemoryProfile and under Wine through the real profile
// functions.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "VR_Common_Const.h"
#include "VR_Common_Types.h"
#include "VR_Common_Var.h"
#include "os/testing/FakeSystem.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/ProfileForTests.h"
#include "os/testing/TestEnvironment.h"

namespace vr {
namespace {

static_assert(sizeof(TQuelvixType) == 1 && sizeof(Tregtype) == 1);
static_assert(qxtStandart == 0 && qxtAD == 6 && qxtNone == 7);
static_assert(rtType0 == 0 && rtType7 == 7);

// The values of a missing file, written out field by field rather than taken from TSettings{},
// so that a wrong initialiser shows.
TSettings MissingFileValues() {
  TSettings s;
  s.QuelvixType = qxtStandart;
  s.DebugPrint = s.DebugMy = s.PoverkaView = s.QuelvixDebug = s.GroupProcess = false;
  s.doformshow = true;
  s.EnabledScrining = s.ECGAtRestWork = s.OnlyDecode = s.SaveSwap = s.MinmVEnabled = false;
  s.ChannelGain = 1.0;
  s.ChannelGain12 = 1.0;
  s.HardwareType = 1;
  s.FilterType = 0;
  s.CorrectProbeli = s.forMVD = s.forGE = false;
  s.Person = 0;
  s.LanguageSetting.clear();
  s.New_Reg = 0;
  s.DefaultRegType = rtType0;
  s.NurseMode = s.DoctorMode = true;
  s.EMIASTESTINGMODE = s.EMIASEMULATINGMODE = s.RegEmulating = s.AriadnaSearchTesting = false;
  s.UserIsMS = s.PraktikaSearchTesting = s.PraktikaTesting = false;
  return s;
}

// Every loaded field away from its default, to see that a load really sets it.
void Scramble(TSettings& s) {
  s.DebugPrint = s.DebugMy = s.PoverkaView = s.QuelvixDebug = s.GroupProcess = true;
  s.doformshow = false;
  s.EnabledScrining = s.ECGAtRestWork = s.OnlyDecode = s.SaveSwap = s.MinmVEnabled = true;
  s.ChannelGain = 7.5;
  s.ChannelGain12 = -3.0;
  s.HardwareType = 42;
  s.FilterType = 99;
  s.forMVD = s.forGE = true;
  s.Person = 5;
  s.LanguageSetting = L"XYZ";
  s.New_Reg = 77;
  s.DefaultRegType = rtType5;
  s.NurseMode = s.DoctorMode = false;
  s.EMIASTESTINGMODE = s.EMIASEMULATINGMODE = s.RegEmulating = s.AriadnaSearchTesting = true;
  s.UserIsMS = s.PraktikaSearchTesting = s.PraktikaTesting = true;
}

// Names the fields that differ, for a readable failure.
std::string Differences(const TSettings& actual, const TSettings& expected) {
  std::string out;
  const auto check = [&out](bool same, const char* name) {
    if (!same) {
      out += std::string(" ") + name;
    }
  };
#define VR_FIELD(f) check(actual.f == expected.f, #f)
  VR_FIELD(QuelvixType);
  VR_FIELD(DebugPrint);
  VR_FIELD(DebugMy);
  VR_FIELD(PoverkaView);
  VR_FIELD(QuelvixDebug);
  VR_FIELD(GroupProcess);
  VR_FIELD(doformshow);
  VR_FIELD(EnabledScrining);
  VR_FIELD(ECGAtRestWork);
  VR_FIELD(OnlyDecode);
  VR_FIELD(SaveSwap);
  VR_FIELD(MinmVEnabled);
  VR_FIELD(ChannelGain);
  VR_FIELD(ChannelGain12);
  VR_FIELD(HardwareType);
  VR_FIELD(FilterType);
  VR_FIELD(CorrectProbeli);
  VR_FIELD(forMVD);
  VR_FIELD(forGE);
  VR_FIELD(Person);
  VR_FIELD(LanguageSetting);
  VR_FIELD(New_Reg);
  VR_FIELD(DefaultRegType);
  VR_FIELD(NurseMode);
  VR_FIELD(DoctorMode);
  VR_FIELD(EMIASTESTINGMODE);
  VR_FIELD(EMIASEMULATINGMODE);
  VR_FIELD(RegEmulating);
  VR_FIELD(AriadnaSearchTesting);
  VR_FIELD(UserIsMS);
  VR_FIELD(PraktikaSearchTesting);
  VR_FIELD(PraktikaTesting);
#undef VR_FIELD
  return out.empty() ? "none" : out;
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    profile_ = os::testing::MakeTestProfile(*env_);
  }
  void TearDown() override { FinalizeCommonVar(); }

  // A new program folder; with content, its "Settings\virelta.ini" holds it. Each load gets a
  // folder of its own, so no profile cache can answer with an earlier file.
  std::wstring ProgramFolder(std::optional<std::string_view> ini, bool settingsFolder = true) {
    const std::wstring folder = env_->NewScratchFolder();
    if (settingsFolder) {
      EXPECT_EQ(env_->Fs().CreateFolder(folder + L"Settings"), 0u);
    }
    if (ini) {
      os::testing::WriteBytes(env_->Fs(), folder + L"Settings\\virelta.ini", *ini);
    }
    return folder;
  }
  // LoadSettings on the file `ini` of a new program folder, over scrambled settings.
  const TSettings& Load(std::optional<std::string_view> ini) {
    ProgramDir = ProgramFolder(ini);
    Scramble(Settings);
    LoadSettings(*profile_);
    return Settings;
  }
  void Start(const std::wstring& folder) {
    system_.SetModuleFileName(folder + L"Install.exe");
    InitializeCommonVar(system_, *profile_);
  }

  std::unique_ptr<os::testing::TestEnvironment> env_;
  std::unique_ptr<os::IProfile> profile_;
  os::testing::FakeSystem system_;
};

TEST_F(SettingsFile, MissingFileOrFolderGivesEveryDefault) {
  for (const bool settingsFolder : {true, false}) {
    Start(ProgramFolder(std::nullopt, settingsFolder));
    EXPECT_EQ(Settings, MissingFileValues()) << Differences(Settings, MissingFileValues());
    EXPECT_EQ(LanguageCode, L"RUS");
    EXPECT_EQ(LanguageFile, L"");
    FinalizeCommonVar();
  }
}

TEST_F(SettingsFile, TheInstallersFileLoadsItsTwoKeysAndDefaultsElsewhere) {
  const TSettings& s = Load("[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n");
  EXPECT_EQ(s.FilterType, 0);
  EXPECT_EQ(s.HardwareType, 1);
  // Scrambled beforehand: every field is set by the load, not left over.
  TSettings expected = MissingFileValues();
  EXPECT_EQ(s, expected) << Differences(s, expected);

  const TSettings& other = Load("[options]\r\nFilterType=3\r\nHardwareType=7\r\n\r\n");
  expected.FilterType = 3;
  expected.HardwareType = 7;
  EXPECT_EQ(other, expected) << Differences(other, expected);
}

// Each Boolean key set away from its default reaches its own field and no other.
TEST_F(SettingsFile, EveryBooleanKeyReachesItsField) {
  struct Case {
    const char* key;
    bool TSettings::*field;
  };
  const Case cases[] = {
      {"forGE", &TSettings::forGE},
      {"doformshow", &TSettings::doformshow},
      {"DebugPrint", &TSettings::DebugPrint},
      {"DebugMy", &TSettings::DebugMy},
      {"MinmVEnabled", &TSettings::MinmVEnabled},
      {"PoverkaView", &TSettings::PoverkaView},
      {"QuelvixDebug", &TSettings::QuelvixDebug},
      {"ECGAtRestWork", &TSettings::ECGAtRestWork},
      {"onlydecode", &TSettings::OnlyDecode},
      {"saveswap", &TSettings::SaveSwap},
      {"GroupProcess", &TSettings::GroupProcess},
      {"EnabledScrining", &TSettings::EnabledScrining},
      {"NurseMode", &TSettings::NurseMode},
      {"DoctorMode", &TSettings::DoctorMode},
      {"EMIASTESTINGMODE", &TSettings::EMIASTESTINGMODE},
      {"EMIASEMULATINGMODE", &TSettings::EMIASEMULATINGMODE},
      {"RegEmulating", &TSettings::RegEmulating},
      {"AriadnaSearchTesting", &TSettings::AriadnaSearchTesting},
      {"UserIsMS", &TSettings::UserIsMS},
      {"PraktikaSearchTesting", &TSettings::PraktikaSearchTesting},
      {"PraktikaTesting", &TSettings::PraktikaTesting},
  };
  for (const auto& c : cases) {
    TSettings expected = MissingFileValues();
    expected.*c.field = !(expected.*c.field);
    const std::string value = expected.*c.field ? "1" : "0";
    const TSettings& s = Load("[options]\r\n" + std::string(c.key) + "=" + value + "\r\n");
    EXPECT_EQ(s, expected) << c.key << " differs in" << Differences(s, expected);
  }
}

// The value forms: each line alone in a settings file, and the one field it must change.
TEST_F(SettingsFile, ValueForms) {
  struct Case {
    std::string line;
    std::function<void(TSettings&)> expect;  // applied to the missing-file values
  };
  const Case cases[] = {
      // Booleans as integers; words keep the default.
      {"DebugPrint=true", [](TSettings&) {}},
      {"DebugPrint=2", [](TSettings& s) { s.DebugPrint = true; }},
      {"DebugPrint=-1", [](TSettings& s) { s.DebugPrint = true; }},
      {"DebugPrint=0x1", [](TSettings& s) { s.DebugPrint = true; }},
      {"doformshow=yes", [](TSettings&) {}},
      {"doformshow=0", [](TSettings& s) { s.doformshow = false; }},
      {"doformshow=$0", [](TSettings& s) { s.doformshow = false; }},
      {"doformshow=", [](TSettings&) {}},
      {"NurseMode=false", [](TSettings&) {}},
      // Doubles with "." only.
      {"Channel1Gain=1.5", [](TSettings& s) { s.ChannelGain = 1.5; }},
      {"Channel1Gain=1,5", [](TSettings&) {}},
      {"Channel1Gain=-0.25", [](TSettings& s) { s.ChannelGain = -0.25; }},
      {"Channel1Gain=2e1", [](TSettings& s) { s.ChannelGain = 20.0; }},
      {"Channel1Gain=", [](TSettings&) {}},
      {"Channel1Gain=abc", [](TSettings&) {}},
      {"Channel2Gain=0.5", [](TSettings& s) { s.ChannelGain12 = 0.5; }},
      {"Channel2Gain=\"2.5\"", [](TSettings& s) { s.ChannelGain12 = 2.5; }},
      // Integers: decimal with sign, hexadecimal after "0x", "0X" or "$".
      {"HardwareType=-5", [](TSettings& s) { s.HardwareType = -5; }},
      {"HardwareType=+12", [](TSettings& s) { s.HardwareType = 12; }},
      {"HardwareType=0x7FFFFFFF", [](TSettings& s) { s.HardwareType = 2147483647; }},
      {"HardwareType=2147483648", [](TSettings&) {}},
      {"HardwareType=two", [](TSettings&) {}},
      {"HardwareType=", [](TSettings&) {}},
      {"HardwareType  =  3  ", [](TSettings& s) { s.HardwareType = 3; }},
      {"FilterType=0x10", [](TSettings& s) { s.FilterType = 16; }},
      {"FilterType=0X10", [](TSettings& s) { s.FilterType = 16; }},
      {"FilterType=$10", [](TSettings& s) { s.FilterType = 16; }},
      {"FilterType=255", [](TSettings& s) { s.FilterType = 255; }},
      {"FILTERTYPE=4", [](TSettings& s) { s.FilterType = 4; }},
      // Out of a field's range: the default.
      {"FilterType=256", [](TSettings&) {}},
      {"FilterType=-1", [](TSettings&) {}},
      {"FilterType=$1FF", [](TSettings&) {}},
      {"new_reg=200", [](TSettings& s) { s.New_Reg = 200; }},
      {"new_reg=256", [](TSettings&) {}},
      {"new_reg=-3", [](TSettings&) {}},
      {"DefaultRegType=7", [](TSettings& s) { s.DefaultRegType = rtType7; }},
      {"DefaultRegType=3", [](TSettings& s) { s.DefaultRegType = rtType3; }},
      {"DefaultRegType=8", [](TSettings&) {}},
      {"DefaultRegType=-1", [](TSettings&) {}},
      {"DefaultRegType=0x100", [](TSettings&) {}},
      // Texts as they stand.
      {"LanguageSetting=ENG", [](TSettings& s) { s.LanguageSetting = L"ENG"; }},
      {"LanguageSetting=eng", [](TSettings& s) { s.LanguageSetting = L"eng"; }},
      // Not read from the file, whatever it says.
      {"forMVD=1", [](TSettings&) {}},
      {"Person=5", [](TSettings&) {}},
      {"ChannelGain=2.0", [](TSettings&) {}},
  };
  for (const auto& c : cases) {
    TSettings expected = MissingFileValues();
    c.expect(expected);
    const TSettings& s = Load("[options]\r\n" + c.line + "\r\n");
    EXPECT_EQ(s, expected) << c.line << ": differs in" << Differences(s, expected);
  }
}

TEST_F(SettingsFile, KeysOutsideTheOptionsSectionAreNotRead) {
  const TSettings& s = Load("[Other]\r\nHardwareType=5\r\n[options]\r\nDebugMy=1\r\n");
  TSettings expected = MissingFileValues();
  expected.DebugMy = true;
  EXPECT_EQ(s, expected) << Differences(s, expected);
}

TEST_F(SettingsFile, ResetsForMvdAndPersonAndLeavesTheUnreadFieldsAlone) {
  ProgramDir = ProgramFolder(
      "[options]\r\nforMVD=1\r\nPerson=3\r\nQuelvixType=2\r\n"
      "CorrectProbeli=0\r\n");
  Settings.forMVD = true;
  Settings.Person = 9;
  Settings.QuelvixType = qxtAD;
  Settings.CorrectProbeli = true;
  LoadSettings(*profile_);
  EXPECT_FALSE(Settings.forMVD);
  EXPECT_EQ(Settings.Person, 0);
  EXPECT_EQ(Settings.QuelvixType, qxtAD);
  EXPECT_TRUE(Settings.CorrectProbeli);
}

TEST_F(SettingsFile, StartUpWorksOutTheFoldersAndTheLanguage) {
  struct Case {
    std::optional<std::string_view> ini;
    std::wstring code;
    bool languageFile;
  };
  const Case cases[] = {
      {std::nullopt, L"RUS", false},
      {"[options]\r\nLanguageSetting=ENG\r\n", L"ENG", true},
      {"[options]\r\nLanguageSetting=  ENG  \r\n", L"ENG", true},  // the profile drops blanks
      {"[options]\r\nLanguageSetting=eng\r\n", L"RUS", false},
      {"[options]\r\nLanguageSetting=Eng\r\n", L"RUS", false},
      {"[options]\r\nLanguageSetting=RUS\r\n", L"RUS", false},
      {"[options]\r\nLanguageSetting=ENGL\r\n", L"RUS", false},
      {"[options]\r\nLanguageSetting=\r\n", L"RUS", false},
  };
  for (const auto& c : cases) {
    const std::wstring folder = ProgramFolder(c.ini);
    Start(folder);
    const std::string name = c.ini ? std::string(*c.ini) : "no file";
    EXPECT_EQ(ProgramDir, folder) << name;
    EXPECT_EQ(LanguageCode, c.code) << name;
    EXPECT_EQ(LanguageFile, c.languageFile ? folder + L"Settings\\EngView.lng" : L"") << name;
    EXPECT_EQ(AtesInDir, folder + L"AtesIn\\") << name;
    EXPECT_EQ(AtesOutDir, folder + L"AtesOut\\") << name;
    EXPECT_EQ(StartXml, TStartXmlObject{}) << name;
    // Neither the exchange folders nor the language file are made.
    EXPECT_EQ(env_->Fs().GetAttributes(AtesInDir), os::attr::kInvalid);
    EXPECT_EQ(env_->Fs().GetAttributes(AtesOutDir), os::attr::kInvalid);
    FinalizeCommonVar();
  }
}

TEST_F(SettingsFile, FinalizeEmptiesEverything) {
  Start(ProgramFolder("[options]\r\nLanguageSetting=ENG\r\nHardwareType=9\r\n"));
  ASSERT_FALSE(LanguageFile.empty());
  StartXml.FIO = L"Иванов";
  StartXml.IWR = 3;
  FinalizeCommonVar();
  EXPECT_EQ(ProgramDir, L"");
  EXPECT_EQ(LanguageCode, L"");
  EXPECT_EQ(LanguageFile, L"");
  EXPECT_EQ(AtesInDir, L"");
  EXPECT_EQ(AtesOutDir, L"");
  EXPECT_EQ(Settings, TSettings{});
  EXPECT_EQ(StartXml, TStartXmlObject{});
}

// The profile calls themselves: the file, the section, one read per key, in the fixed order.
class RecordingProfile final : public os::IProfile {
 public:
  std::wstring ReadString(const std::wstring& file, const std::wstring& section,
                          const std::wstring& key, const std::wstring& defaultValue) override {
    files.push_back(file);
    sections.push_back(section);
    keys.push_back(key);
    return defaultValue;
  }
  std::vector<std::wstring> files, sections, keys;
};

TEST(SettingsReads, OneReadPerKeyInTheFixedOrder) {
  RecordingProfile profile;
  ProgramDir = L"D:\\Программа\\";
  LoadSettings(profile);
  const std::vector<std::wstring> order = {
      L"forGE",
      L"FilterType",
      L"DefaultRegType",
      L"doformshow",
      L"DebugPrint",
      L"DebugMy",
      L"MinmVEnabled",
      L"PoverkaView",
      L"QuelvixDebug",
      L"ECGAtRestWork",
      L"onlydecode",
      L"saveswap",
      L"Channel1Gain",
      L"Channel2Gain",
      L"GroupProcess",
      L"EnabledScrining",
      L"HardwareType",
      L"LanguageSetting",
      L"new_reg",
      L"NurseMode",
      L"DoctorMode",
      L"EMIASTESTINGMODE",
      L"EMIASEMULATINGMODE",
      L"RegEmulating",
      L"AriadnaSearchTesting",
      L"UserIsMS",
      L"PraktikaSearchTesting",
      L"PraktikaTesting",
  };
  EXPECT_EQ(profile.keys, order);
  for (std::size_t i = 0; i < profile.files.size(); ++i) {
    EXPECT_EQ(profile.files[i], L"D:\\Программа\\Settings\\virelta.ini") << i;
    EXPECT_EQ(profile.sections[i], L"options") << i;
  }
  EXPECT_EQ(Settings, MissingFileValues()) << Differences(Settings, MissingFileValues());
  FinalizeCommonVar();
}

TEST(SettingsNames, SettingsFileOfAFolder) {
  EXPECT_EQ(std::wstring(L"C:\\Virelta\\") + SettingsSubDir + SettingsFileName,
            L"C:\\Virelta\\Settings\\virelta.ini");
}

TEST(StartXmlObject, ClearEmptiesEveryField) {
  TStartXmlObject x;
  for (std::wstring* field :
       {&x.filename,    &x.Code,        &x.Amcart,      &x.FIO,    &x.Birthday,
        &x.Birthday_YY, &x.Birthday_MM, &x.Birthday_DD, &x.Pol,    &x.Constitution,
        &x.AD,          &x.Doctor,      &x.Diagnosys,   &x.Otdel,  &x.Area,
        &x.Palata,      &x.Address,     &x.Workplace,   &x.Policy, &x.Medic}) {
    *field = L"значение";
  }
  x.ADS = 120;
  x.ADD = 80;
  x.IWR = 1;
  ASSERT_NE(x, TStartXmlObject{});
  x.clear();
  EXPECT_EQ(x, TStartXmlObject{});
  EXPECT_EQ(x.FIO, L"");
  EXPECT_EQ(x.ADS, 0);
  EXPECT_EQ(x.ADD, 0);
  EXPECT_EQ(x.IWR, 0);
}

}  // namespace
}  // namespace vr
