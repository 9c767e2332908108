// The medical vocabulary tables with their language-file keys and built-in Russian texts.
#include "VR_Common_Const.h"

namespace vr {
namespace {

template <std::size_t N>
std::array<std::wstring, N> DefaultTexts(const std::array<LookupRow, N>& rows) {
  std::array<std::wstring, N> texts;
  for (std::size_t i = 0; i < N; ++i) {
    texts[i] = rows[i].defaultText;
  }
  return texts;
}

}  // namespace

const std::array<LookupRow, ConstitutionCount> ConstitutionRows = {{
    {L"Normo", L"Нормостеник"},
    {L"Giper", L"Гиперстеник"},
    {L"Asten", L"Астеник"},
}};

const std::array<LookupRow, DiseaseCount> DiseaseRows = {{
    {L"Gip", L"Гипертония"},
    {L"NIP", L"Нефрит или пиелонефрит"},
    {L"NMK", L"Нарушение мозгового кровообращения"},
    {L"IBS", L"ИБС"},
    {L"Ste", L"Стенокардия"},
    {L"PKa", L"Постинфарктный кардиосклероз"},
    {L"IPF", L"Инфаркт, подострая фаза"},
    {L"Rev", L"Ревматизм"},
    {L"NCD", L"НЦД"},
    {L"HNZ", L"Хрон. неспецифич. заболевания легких"},
    {L"BAs", L"Бронхиальная астма"},
    {L"IOF", L"Инфаркт, острая фаза"},
    {L"MSt", L"Митральный стеноз"},
    {L"API", L"Аортальный порок или митр. недостат"},
    {L"DMP", L"Дефект межжелудочковой перегородки"},
    {L"DMPP", L"Дефект межпредсердной перегородки"},
    {L"OAP", L"Общий артериальный проток"},
    {L"SAo", L"Стеноз аорты"},
    {L"KAo", L"Коарктация аорты"},
    {L"SLA", L"Стеноз лег. арт, тетр. и триада Фало"},
    {L"IVR", L"Искусственный водитель ритма"},
    {nullptr, L"Сахарный диабет"},
}};

const std::array<LookupRow, MedicationCount> MedicationRows = {{
    {L"SGl", L"сердечные гликозиды"},
    {L"Hin", L"хинидин"},
    {L"Kor", L"кордарон"},
    {L"PAn", L"пр. антиритмические"},
    {L"NPr", L"нитропрепараты"},
    {L"ACA", L"Антогонисты Ca"},
    {L"BBl", L"Б-блокаторы"},
    {L"Ant", L"антигипертензионные"},
    {L"Diu", L"диуретики"},
}};

const std::array<LookupRow, ConductionCount> ConductionRows = {{
    {L"Norm", L"Норма"},
    {L"BLN", L"БЛН"},
    {L"BPN", L"БПН"},
    {nullptr, L"WPW"},
    {L"nOp", L"Не определен"},
}};

std::array<std::wstring, ConstitutionCount> ConstitutionNames = DefaultTexts(ConstitutionRows);
std::array<std::wstring, DiseaseCount> DiseaseNames = DefaultTexts(DiseaseRows);
std::array<std::wstring, MedicationCount> MedicationNames = DefaultTexts(MedicationRows);
std::array<std::wstring, ConductionCount> ConductionNames = DefaultTexts(ConductionRows);

}  // namespace vr
