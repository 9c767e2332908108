#pragma once
// Complex-wide constants: the settings folder and file names, and the medical vocabulary
// tables offered for patient data and conclusions. The tables start with their Russian texts;
// InitializeLookupTexts (VR_Common_ProcTexts.h) replaces them from the language file.
#include <array>
#include <string>

namespace vr {

// The settings sub-folder below a program folder or a target folder. The main settings file of
// a folder F is F + SettingsSubDir + SettingsFileName.
inline constexpr wchar_t SettingsSubDir[] = L"Settings\\";
inline constexpr wchar_t SettingsFileName[] = L"virelta.ini";

// Section of the language file that holds the table texts.
inline constexpr wchar_t LookupTablesSection[] = L"VR_Messages";

// One row of a text table: its key in the language file (null for a row whose text is fixed)
// and its built-in Russian text.
struct LookupRow {
  const wchar_t* key;
  const wchar_t* defaultText;
};

inline constexpr std::size_t ConstitutionCount = 3;
inline constexpr std::size_t DiseaseCount = 22;
inline constexpr std::size_t MedicationCount = 9;
inline constexpr std::size_t ConductionCount = 5;

// Keys and built-in texts, row by row.
extern const std::array<LookupRow, ConstitutionCount> ConstitutionRows;
extern const std::array<LookupRow, DiseaseCount> DiseaseRows;
extern const std::array<LookupRow, MedicationCount> MedicationRows;
extern const std::array<LookupRow, ConductionCount> ConductionRows;

// The texts in use: body-build types, diseases, medications, conduction findings.
extern std::array<std::wstring, ConstitutionCount> ConstitutionNames;
extern std::array<std::wstring, DiseaseCount> DiseaseNames;
extern std::array<std::wstring, MedicationCount> MedicationNames;
extern std::array<std::wstring, ConductionCount> ConductionNames;

}  // namespace vr
