#pragma once
// The complex-wide variables: the program's folder, the settings from the main settings file,
// the language of the shared texts and the exchange folders. Set once by InitializeCommonVar at
// start-up, before the log and the shared texts; only read afterwards.
#include <string>

#include "VR_Common_Types.h"
#include "os/Profile.h"
#include "os/System.h"

namespace vr {

// Folder of the running program's file, ending in "\".
extern std::wstring ProgramDir;
// The values of ProgramDir's main settings file (LoadSettings).
extern TSettings Settings;
// "ENG" when Settings.LanguageSetting is exactly "ENG", otherwise "RUS".
extern std::wstring LanguageCode;
// ProgramDir + "Settings\EngView.lng" for "ENG"; empty for Russian.
extern std::wstring LanguageFile;
// ProgramDir + "AtesIn\" and ProgramDir + "AtesOut\"; neither tested nor created.
extern std::wstring AtesInDir;
extern std::wstring AtesOutDir;
// Patient and referral data; empty (nothing in the installation kit fills it).
extern TStartXmlObject StartXml;

// Reads ProgramDir + "Settings\virelta.ini", section "options", one profile read per key in the
// fixed key order, into Settings. A missing file, key or malformed value keeps that field's
// default, and so does a number outside its field's range (FilterType and New_Reg 0 to 255,
// DefaultRegType 0 to 7). forMVD and Person are reset to false and 0; QuelvixType and
// CorrectProbeli are left alone. The file is only read.
void LoadSettings(os::IProfile& profile);

// Start-up: ProgramDir from the running program's file name, LoadSettings, the language and
// the language file, the exchange folders. Throws nothing for a missing or damaged file.
void InitializeCommonVar(os::ISystem& system, os::IProfile& profile);

// At program end: every text emptied, Settings and StartXml back to their initial values.
void FinalizeCommonVar();

}  // namespace vr
