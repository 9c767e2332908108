// The medium's manifest: what the parser takes and refuses, how it finds a file, and the digests
// the seam gives (natively OpenSSL's, under Wine the system's own), against known values.
#include <gtest/gtest.h>

#include <string>

#include "TestMedium.h"
#include "engine/MediumManifest.h"
#include "os/testing/FileHelpers.h"
#include "text/Utf.h"

namespace engine {
namespace {

// SHA-256 of "abc" and of a million "a" (FIPS 180-2's examples).
constexpr char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
constexpr char kMillionA[] = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
const std::string kZeros(64, '0');

TEST(MediumManifest, TakesWhatSha256sumWritesAndFindsFilesAsWindowsNamesThem) {
  const std::string text =
      std::string("\xEF\xBB\xBF") + kAbc + "  DTAfb/R40.FDB\n" + kZeros +
      " *./fonts/verdana.TTF\r\n" + "\\" + kMillionA + "  Updater/a\\\\b\n" +
      "BA7816BF8F01CFEA414140DE5DAE2223B00361A39617" + "7A9CB410FF61F20015AD  Носитель/Файл.txt\n" +
      kZeros + "  UDF/./VrEcgUdf.Dll. \n" + kZeros + "  backup /V150612./Install.cmd\n\r\n\n";
  std::wstring error;
  const auto manifest = MediumManifest::Parse(text, error);
  ASSERT_TRUE(manifest.has_value()) << text::ToUtf8(error);
  ASSERT_EQ(manifest->Entries().size(), 6u);
  EXPECT_EQ(manifest->Entries()[1].path, L"fonts\\verdana.TTF");
  EXPECT_EQ(manifest->Entries()[2].path, L"Updater\\a\\b");
  // Named as Windows resolves the name: "." parts, trailing dots and blanks go.
  EXPECT_EQ(manifest->Entries()[4].path, L"UDF\\VrEcgUdf.Dll");
  EXPECT_EQ(manifest->Entries()[5].path, L"backup\\V150612\\Install.cmd");
  struct Lookup {
    const wchar_t* path;
    const char* digest;  // nothing listed: null
  };
  const Lookup lookups[] = {
      {L"DTAfb\\R40.FDB", kAbc},
      {L"dtafb/r40.fdb", kAbc},
      {L"FONTS\\VERDANA.ttf", kZeros.c_str()},
      {L"носитель\\ФАЙЛ.TXT", kAbc},
      {L"DTAfb\\R40.FDB.tmp", nullptr},
      {L"R40.FDB", nullptr},
      {L"udf\\vrecgudf.dll", kZeros.c_str()},
      {L"./backup/./V150612/Install.cmd.", kZeros.c_str()},
  };
  for (const Lookup& lookup : lookups) {
    SCOPED_TRACE(text::ToUtf8(lookup.path));
    const os::Sha256Digest* found = manifest->Find(lookup.path);
    ASSERT_EQ(found != nullptr, lookup.digest != nullptr);
    if (found != nullptr) {
      EXPECT_EQ(DigestHex(*found), text::FromUtf8(lookup.digest));
    }
  }
  EXPECT_TRUE(MediumManifest::Parse("", error).has_value());
}

TEST(MediumManifest, RefusesAMalformedManifestNamingTheLine) {
  const std::string good = std::string(kAbc) + "  R40.FDB\n";
  const struct {
    std::string text;
    const wchar_t* error;
  } cases[] = {
      {good + kAbc + " R40.FDB\n", L"строка 2: ожидаются 64 шестнадцатеричные цифры"},
      {good + std::string(kAbc).substr(1) + "  x\n", L"строка 2: ожидаются 64"},
      {"g" + std::string(kAbc).substr(1) + "  x\n", L"строка 1: ожидаются 64"},
      {good + kAbc + "  \n", L"строка 2: ожидаются 64"},
      {good + "\n" + good, L"строка 2: ожидаются 64"},  // only the last lines may be empty
      {good + kZeros + "  r40.fdb\n", L"строка 2: файл указан второй раз"},
      {good + kZeros + "  ../Install.exe\n", L"строка 2: путь ведёт за пределы носителя"},
      {good + kZeros + "  /etc/passwd\n", L"строка 2: путь ведёт за пределы носителя"},
      {good + kZeros + "  C:/x\n", L"строка 2: путь ведёт за пределы носителя"},
      {good + kZeros + "  a\xff.txt\n", L"строка 2: имя файла не в кодировке UTF-8"},
      {good + "\\" + kZeros + "  a\\x\n", L"строка 2: неверная запись имени файла"},
      {good + kZeros + "  R40.FDB. \n", L"строка 2: файл указан второй раз"},
      {good + kZeros + "  ./r40.fdb\n", L"строка 2: файл указан второй раз"},
      {good + kZeros + "  fonts/CON\n", L"строка 2: имя устройства Windows"},
      {good + kZeros + "  com1.txt\n", L"строка 2: имя устройства Windows"},
      {good + kZeros + "  Lpt9 .dll\n", L"строка 2: имя устройства Windows"},
      {good + kZeros + "  nul\n", L"строка 2: имя устройства Windows"},
      {good + kZeros + "  a" + std::string(1, '\0') + "b\n",
       L"строка 2: в имени файла есть символ NUL"},
      {good + "\\" + kZeros + "  a\\nb\n", L"строка 2: в имени файла есть символ, недопустимый"},
      {good + kZeros + "  a?.txt\n", L"строка 2: в имени файла есть символ, недопустимый"},
      {good + kZeros + "  a/.../b\n", L"строка 2: пустое имя папки или файла"},
      {good + kZeros + "  ./.\n", L"строка 2: нет имени файла"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::wstring error;
    EXPECT_FALSE(MediumManifest::Parse(c.text, error).has_value());
    EXPECT_TRUE(error.starts_with(c.error)) << text::ToUtf8(error);
  }
}

// A manifest of a large medium is read in time linear in its lines: 220 000 of them, and then
// found, in the test's usual time.
TEST(MediumManifest, ReadsALargeManifest) {
  constexpr std::size_t kLines = 220'000;
  std::string text;
  for (std::size_t i = 0; i < kLines; ++i) {
    text += kZeros + "  data/" + std::to_string(i % 100) + "/file" + std::to_string(i) + ".dat\n";
  }
  std::wstring error;
  const auto manifest = MediumManifest::Parse(text, error);
  ASSERT_TRUE(manifest.has_value()) << text::ToUtf8(error);
  ASSERT_EQ(manifest->Entries().size(), kLines);
  std::size_t found = 0;
  for (std::size_t i = 0; i < kLines; i += 7) {
    found += manifest->Find(L"DATA\\" + std::to_wstring(i % 100) + L"\\FILE" + std::to_wstring(i) +
                            L".DAT") != nullptr;
  }
  EXPECT_EQ(found, (kLines + 6) / 7);
  EXPECT_EQ(manifest->Find(L"data\\5\\file6.dat"), nullptr);
}

TEST(MediumManifest, FileDigestsAreSha256) {
  testing::TestPlatform platform;
  const std::wstring folder = platform.NewScratchFolder();
  os::testing::WriteBytes(platform.Fs(), folder + L"abc", "abc");
  os::testing::WriteBytes(platform.Fs(), folder + L"a", std::string(1000000, 'a'));
  for (const auto& [name, expected] : {std::pair{L"abc", kAbc}, std::pair{L"a", kMillionA}}) {
    std::wstring error;
    const auto digest = FileDigest(platform.Fs(), platform.Get().crypto, folder + name, error);
    ASSERT_TRUE(digest.has_value()) << text::ToUtf8(error);
    EXPECT_EQ(DigestHex(*digest), text::FromUtf8(expected));
  }
  std::wstring error;
  EXPECT_FALSE(FileDigest(platform.Fs(), platform.Get().crypto, folder + L"none", error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace engine
