#include "VR_Common_ProcTexts.h"

#include <array>
#include <cstddef>

#include "VR_Common_Const.h"

namespace vr {
namespace {

constexpr std::array<LookupRow, 4> kProcTextRows = {{
    {L"Sbo", L"СБОЙ"},
    {L"Met", L"МЕТКА"},
    {L"nnn", L"н"},
    {L"sss", L"с"},
}};

std::array<std::wstring*, 4> ProcTexts() {
  return {&TextSbo, &TextMet, &TextNnn, &TextSss};
}

// With `profile` null every keyed row takes its built-in text; rows without a key are left alone.
template <std::size_t N, typename Texts>
void LoadRows(os::IProfile* profile, const std::wstring& file, const wchar_t* section,
              const std::array<LookupRow, N>& rows, Texts&& text) {
  for (std::size_t i = 0; i < N; ++i) {
    if (rows[i].key == nullptr) {
      continue;
    }
    text(i) = profile != nullptr
                  ? profile->ReadString(file, section, rows[i].key, rows[i].defaultText)
                  : std::wstring(rows[i].defaultText);
  }
}

template <std::size_t N>
void LoadTable(os::IProfile* profile, const std::wstring& file,
               const std::array<LookupRow, N>& rows, std::array<std::wstring, N>& names) {
  LoadRows(profile, file, LookupTablesSection, rows,
           [&names](std::size_t i) -> std::wstring& { return names[i]; });
}

// Every text in the fixed order: the four tables by index, then the texts of VR_Common_Proc.
void LoadAll(os::IProfile* profile, const std::wstring& file) {
  LoadTable(profile, file, ConstitutionRows, ConstitutionNames);
  LoadTable(profile, file, DiseaseRows, DiseaseNames);
  LoadTable(profile, file, MedicationRows, MedicationNames);
  LoadTable(profile, file, ConductionRows, ConductionNames);
  const auto texts = ProcTexts();
  LoadRows(profile, file, ProcTextsSection, kProcTextRows,
           [&texts](std::size_t i) -> std::wstring& { return *texts[i]; });
}

}  // namespace

std::wstring TextSbo = kProcTextRows[0].defaultText;
std::wstring TextMet = kProcTextRows[1].defaultText;
std::wstring TextNnn = kProcTextRows[2].defaultText;
std::wstring TextSss = kProcTextRows[3].defaultText;

void InitializeLookupTexts(os::IProfile& profile, const std::wstring& languageFile) {
  LoadAll(languageFile.empty() ? nullptr : &profile, languageFile);
}

void FinalizeLookupTexts() {
  LoadAll(nullptr, std::wstring());
}

}  // namespace vr
