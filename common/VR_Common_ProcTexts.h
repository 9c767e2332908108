#pragma once
// The shared texts of VR_Common_Proc and the loading of every shared text (these four and the
// tables of VR_Common_Const) from the language file at start-up.
#include <string>

#include "os/Profile.h"

namespace vr {

// Section of the language file that holds the four texts below.
inline constexpr wchar_t ProcTextsSection[] = L"VR_Common_Proc";

// Marks of a failure and of a label, and the short words for "hour" and "second"; their keys
// in the language file are "Sbo", "Met", "nnn" and "sss".
extern std::wstring TextSbo;
extern std::wstring TextMet;
extern std::wstring TextNnn;
extern std::wstring TextSss;

// Runs once at start-up, after InitializeCommonVar (which fixes LanguageFile). Every table row
// that has a key, and every text above, takes the value of its key in the language file
// `languageFile` (read through `profile`, only read), or its built-in Russian text when the file,
// the section or the key is missing; a key with an empty value gives an empty text. Rows without
// a key keep their text. An empty `languageFile` (the Russian set-up) reads nothing and gives
// every row its Russian text.
void InitializeLookupTexts(os::IProfile& profile, const std::wstring& languageFile);

// At program end: every table row and text back to its built-in Russian text.
void FinalizeLookupTexts();

}  // namespace vr
