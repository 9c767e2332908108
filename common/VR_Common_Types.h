#pragma once
// Record and enumeration types of the complex-wide variables (VR_Common_Var).
#include <cstdint>
#include <string>

namespace vr {

// Which kind of program of the complex is running. Stored in 8 bits.
enum TQuelvixType : std::uint8_t {
  qxtStandart,
  qxtFragment,
  qxtOnline,
  qxtTest,
  qxtSaveSkr,
  qxtSaveDin,
  qxtAD,
  qxtNone,
};

// The recorder types the complex reads, numbered 0 to 7 as the settings file stores them.
// Stored in 8 bits.
enum Tregtype : std::uint8_t {
  rtType0,
  rtType1,
  rtType2,
  rtType3,
  rtType4,
  rtType5,
  rtType6,
  rtType7,
};

// The complex's settings, as the main settings file "virelta.ini" supplies them (LoadSettings).
// The field order is fixed; the initialisers are the values of a missing file.
struct TSettings {
  TQuelvixType QuelvixType = qxtStandart;
  bool DebugPrint = false;
  bool DebugMy = false;
  bool PoverkaView = false;
  bool QuelvixDebug = false;
  bool GroupProcess = false;
  bool doformshow = true;
  bool EnabledScrining = false;
  bool ECGAtRestWork = false;
  bool OnlyDecode = false;
  bool SaveSwap = false;
  bool MinmVEnabled = false;
  double ChannelGain = 1.0;
  double ChannelGain12 = 1.0;
  std::int32_t HardwareType = 1;
  std::uint8_t FilterType = 0;
  bool CorrectProbeli = false;
  bool forMVD = false;
  bool forGE = false;
  std::uint8_t Person = 0;
  std::wstring LanguageSetting;
  std::uint8_t New_Reg = 0;
  Tregtype DefaultRegType = rtType0;
  bool NurseMode = true;
  bool DoctorMode = true;
  bool EMIASTESTINGMODE = false;
  bool EMIASEMULATINGMODE = false;
  bool RegEmulating = false;
  bool AriadnaSearchTesting = false;
  bool UserIsMS = false;
  bool PraktikaSearchTesting = false;
  bool PraktikaTesting = false;

  bool operator==(const TSettings&) const = default;
};

// Patient and referral data handed to a program of the complex at its start.
struct TStartXmlObject {
  std::wstring filename;
  std::wstring Code;
  std::wstring Amcart;
  std::wstring FIO;
  std::wstring Birthday;
  std::wstring Birthday_YY;
  std::wstring Birthday_MM;
  std::wstring Birthday_DD;
  std::wstring Pol;
  std::wstring Constitution;
  std::wstring AD;
  std::int32_t ADS = 0;
  std::int32_t ADD = 0;
  std::wstring Doctor;
  std::wstring Diagnosys;
  std::wstring Otdel;
  std::wstring Area;
  std::wstring Palata;
  std::wstring Address;
  std::wstring Workplace;
  std::wstring Policy;
  std::wstring Medic;
  std::int32_t IWR = 0;

  // Every text empty, every number 0.
  void clear() { *this = TStartXmlObject{}; }

  bool operator==(const TStartXmlObject&) const = default;
};

}  // namespace vr
