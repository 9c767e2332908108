// The shared lookup texts: built-in Russian texts, replaced from the language file at start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "VR_Common_Const.h"
#include "VR_Common_ProcTexts.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/ProfileForTests.h"
#include "os/testing/TestEnvironment.h"
#include "text/Utf.h"

namespace vr {
namespace {

static_assert(ConstitutionNames.size() == 3 && DiseaseNames.size() == 22 &&
              MedicationNames.size() == 9 && ConductionNames.size() == 5);

std::string U8(const std::wstring& s) {
  return text::ToUtf8(s);
}

std::string Utf16File(std::wstring_view content) {
  std::string bytes = "\xFF\xFE";
  for (const wchar_t c : content) {
    const auto unit = static_cast<char16_t>(c);
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// Every table row and text with its section, key (null: none) and the text now in use.
struct Row {
  std::wstring where;  // for failure messages
  const wchar_t* section;
  const wchar_t* key;
  const wchar_t* defaultText;
  std::wstring* text;
};

template <std::size_t N>
void AddTable(std::vector<Row>& rows, const char* name, const std::array<LookupRow, N>& table,
              std::array<std::wstring, N>& texts) {
  for (std::size_t i = 0; i < N; ++i) {
    rows.push_back({text::FromUtf8(name) + L"[" + std::to_wstring(i) + L"]", L"VR_Messages",
                    table[i].key, table[i].defaultText, &texts[i]});
  }
}

std::vector<Row> AllRows() {
  std::vector<Row> rows;
  AddTable(rows, "ConstitutionNames", ConstitutionRows, ConstitutionNames);
  AddTable(rows, "DiseaseNames", DiseaseRows, DiseaseNames);
  AddTable(rows, "MedicationNames", MedicationRows, MedicationNames);
  AddTable(rows, "ConductionNames", ConductionRows, ConductionNames);
  rows.push_back({L"TextSbo", L"VR_Common_Proc", L"Sbo", L"СБОЙ", &TextSbo});
  rows.push_back({L"TextMet", L"VR_Common_Proc", L"Met", L"МЕТКА", &TextMet});
  rows.push_back({L"TextNnn", L"VR_Common_Proc", L"nnn", L"н", &TextNnn});
  rows.push_back({L"TextSss", L"VR_Common_Proc", L"sss", L"с", &TextSss});
  return rows;
}

void ScrambleKeyedRows() {
  for (const auto& row : AllRows()) {
    if (row.key != nullptr) {
      *row.text = L"stale";
    }
  }
}

// A language file giving "<key> in English" for every keyed row except the keys in `left_out`.
std::wstring EnglishFile(const std::vector<std::wstring>& leftOut) {
  std::wstring out;
  std::wstring section;
  for (const auto& row : AllRows()) {
    if (row.key == nullptr || std::find(leftOut.begin(), leftOut.end(), row.key) != leftOut.end()) {
      continue;
    }
    if (section != row.section) {
      section = row.section;
      out += L"[" + section + L"]\r\n";
    }
    out += std::wstring(row.key) + L"=" + row.key + L" in English\r\n";
  }
  return out;
}

class LookupTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    dir_ = env_->NewScratchFolder();
    profile_ = os::testing::MakeTestProfile(*env_);
  }
  void TearDown() override { FinalizeLookupTexts(); }

  std::wstring Write(const std::wstring& name, std::string_view bytes) {
    os::testing::WriteBytes(env_->Fs(), dir_ + name, bytes);
    return dir_ + name;
  }

  std::unique_ptr<os::testing::TestEnvironment> env_;
  std::wstring dir_;
  std::unique_ptr<os::IProfile> profile_;
};

// The tables row by row, as the complex's programs expect them: keys and Russian texts.
TEST(LookupTables, KeysAndBuiltInTexts) {
  struct Expected {
    const wchar_t* key;
    const wchar_t* text;
  };
  struct Table {
    const char* name;
    std::vector<Expected> rows;
    std::vector<LookupRow> actual;
    std::vector<std::wstring> texts;
  };
  const auto table = [](const char* name, std::vector<Expected> rows, const auto& actual,
                        const auto& texts) {
    return Table{name, std::move(rows), std::vector<LookupRow>(actual.begin(), actual.end()),
                 std::vector<std::wstring>(texts.begin(), texts.end())};
  };
  FinalizeLookupTexts();
  const Table tables[] = {
      table("ConstitutionNames",
            {{L"Normo", L"Нормостеник"}, {L"Giper", L"Гиперстеник"}, {L"Asten", L"Астеник"}},
            ConstitutionRows, ConstitutionNames),
      table("DiseaseNames",
            {{L"Gip", L"Гипертония"},
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
             {nullptr, L"Сахарный диабет"}},
            DiseaseRows, DiseaseNames),
      table("MedicationNames",
            {{L"SGl", L"сердечные гликозиды"},
             {L"Hin", L"хинидин"},
             {L"Kor", L"кордарон"},
             {L"PAn", L"пр. антиритмические"},
             {L"NPr", L"нитропрепараты"},
             {L"ACA", L"Антогонисты Ca"},
             {L"BBl", L"Б-блокаторы"},
             {L"Ant", L"антигипертензионные"},
             {L"Diu", L"диуретики"}},
            MedicationRows, MedicationNames),
      table("ConductionNames",
            {{L"Norm", L"Норма"},
             {L"BLN", L"БЛН"},
             {L"BPN", L"БПН"},
             {nullptr, L"WPW"},
             {L"nOp", L"Не определен"}},
            ConductionRows, ConductionNames),
  };
  for (const auto& t : tables) {
    ASSERT_EQ(t.actual.size(), t.rows.size()) << t.name;
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
      const std::wstring key = t.rows[i].key ? t.rows[i].key : L"(none)";
      const std::wstring actualKey = t.actual[i].key ? t.actual[i].key : L"(none)";
      EXPECT_EQ(actualKey, key) << t.name << "[" << i << "]";
      EXPECT_EQ(std::wstring(t.actual[i].defaultText), t.rows[i].text) << t.name << "[" << i << "]";
      EXPECT_EQ(t.texts[i], t.rows[i].text) << t.name << "[" << i << "]";
    }
  }
}

// The Russian set-up names no language file and reads nothing.
class NoReads final : public os::IProfile {
 public:
  std::wstring ReadString(const std::wstring&, const std::wstring&, const std::wstring& key,
                          const std::wstring&) override {
    ADD_FAILURE() << "read " << U8(key);
    return L"read";
  }
};

TEST_F(LookupTexts, RussianSetUpGivesTheBuiltInTexts) {
  ScrambleKeyedRows();
  NoReads profile;
  InitializeLookupTexts(profile, L"");
  for (const auto& row : AllRows()) {
    EXPECT_EQ(*row.text, row.defaultText) << U8(row.where);
  }
  EXPECT_EQ(DiseaseNames[9], L"Хрон. неспецифич. заболевания легких");
  EXPECT_EQ(DiseaseNames[21], L"Сахарный диабет");
  EXPECT_EQ(ConductionNames[3], L"WPW");
  EXPECT_EQ(ConstitutionNames[0], L"Нормостеник");
  EXPECT_EQ(MedicationNames[8], L"диуретики");
  EXPECT_EQ(TextSbo, L"СБОЙ");
  EXPECT_EQ(TextSss, L"с");
}

TEST_F(LookupTexts, MissingLanguageFileGivesTheBuiltInTexts) {
  ScrambleKeyedRows();
  InitializeLookupTexts(*profile_, dir_ + L"Settings\\EngView.lng");
  for (const auto& row : AllRows()) {
    EXPECT_EQ(*row.text, row.defaultText) << U8(row.where);
  }
}

// The file lacks "DMPP" and gives "Sbo" in the tables' section instead of its own.
TEST_F(LookupTexts, EnglishFileReplacesTheRowsItHasKeysFor) {
  for (const bool unicode : {false, true}) {
    std::wstring content = EnglishFile({L"DMPP", L"Sbo"});
    content += L"[VR_Messages]\r\nSbo=misplaced\r\nWPW=not a key\r\n";
    const std::wstring file =
        unicode ? Write(L"EngView-unicode.lng", Utf16File(content))
                : Write(L"EngView-ansi.lng", text::ToUtf8(content));  // ASCII only
    ScrambleKeyedRows();
    InitializeLookupTexts(*profile_, file);
    for (const auto& row : AllRows()) {
      const bool fromFile =
          row.key != nullptr && std::wstring(row.key) != L"DMPP" && std::wstring(row.key) != L"Sbo";
      const std::wstring expected =
          fromFile ? std::wstring(row.key) + L" in English" : std::wstring(row.defaultText);
      EXPECT_EQ(*row.text, expected) << U8(row.where) << (unicode ? " unicode" : " ansi");
    }
    EXPECT_EQ(DiseaseNames[15], L"Дефект межпредсердной перегородки");
    EXPECT_EQ(DiseaseNames[21], L"Сахарный диабет");
    EXPECT_EQ(ConductionNames[3], L"WPW");
    EXPECT_EQ(TextSbo, L"СБОЙ");
    EXPECT_EQ(TextMet, L"Met in English");
  }
}

TEST_F(LookupTexts, EmptyValuesAndCyrillicTexts) {
  const auto file = Write(L"EngView.lng", Utf16File(L"[vr_messages]\r\n"
                                                    L"Gip=\r\n"
                                                    L"normo=Нормостеник (англ.)\r\n"
                                                    L"[VR_COMMON_PROC]\r\n"
                                                    L"nnn=h\r\n"
                                                    L"sss=\r\n"));
  InitializeLookupTexts(*profile_, file);
  EXPECT_EQ(DiseaseNames[0], L"");  // present and empty: empty, not the Russian text
  EXPECT_EQ(ConstitutionNames[0], L"Нормостеник (англ.)");
  EXPECT_EQ(ConstitutionNames[1], L"Гиперстеник");
  EXPECT_EQ(TextNnn, L"h");
  EXPECT_EQ(TextSss, L"");
  EXPECT_EQ(TextSbo, L"СБОЙ");

  FinalizeLookupTexts();
  EXPECT_EQ(DiseaseNames[0], L"Гипертония");
  EXPECT_EQ(ConstitutionNames[0], L"Нормостеник");
  EXPECT_EQ(TextSss, L"с");
}

// One read per keyed row, in table order, each with its section and Russian default.
class Recording final : public os::IProfile {
 public:
  std::wstring ReadString(const std::wstring& file, const std::wstring& section,
                          const std::wstring& key, const std::wstring& defaultValue) override {
    calls.push_back(file + L"|" + section + L"|" + key + L"|" + defaultValue);
    return L"#" + key;
  }
  std::vector<std::wstring> calls;
};

TEST(LookupTextsReads, OneReadPerKeyedRowInTableOrder) {
  Recording profile;
  InitializeLookupTexts(profile, L"C:\\P\\Settings\\EngView.lng");
  std::vector<std::wstring> expected;
  for (const auto& row : AllRows()) {
    if (row.key != nullptr) {
      expected.push_back(std::wstring(L"C:\\P\\Settings\\EngView.lng|") + row.section + L"|" +
                         row.key + L"|" + row.defaultText);
    }
  }
  EXPECT_EQ(expected.size(), 3u + 21u + 9u + 4u + 4u);
  EXPECT_EQ(profile.calls, expected);
  EXPECT_EQ(DiseaseNames[20], L"#IVR");
  EXPECT_EQ(ConductionNames[4], L"#nOp");
  EXPECT_EQ(TextMet, L"#Met");
  FinalizeLookupTexts();
}

}  // namespace
}  // namespace vr
