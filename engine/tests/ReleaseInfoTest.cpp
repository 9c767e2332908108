// Writing the release level into "ReleaseInfo": natively on the XML double over the in-memory
// file system, under Wine on MSXML and the real file system, with the same expectations.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

#include "Raised.h"
#include "engine/ReleaseSet.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "text/Utf.h"
#ifdef _WIN32
#include "os/win32/Win32Xml.h"
#else
#include "os/testing/MemoryXml.h"
#endif

namespace engine {
namespace {

using testing::RaisedMessage;

std::unique_ptr<os::IXml> MakeXml([[maybe_unused]] os::IFileSystem& fs) {
#ifdef _WIN32
  return std::make_unique<os::win32::Win32Xml>();
#else
  return std::make_unique<os::testing::MemoryXml>(fs);
#endif
}

constexpr char kReleaseInfo[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<ROOT>\r\n"
    "  <!-- Сведения о выпуске -->\r\n"
    "  <Version>1</Version>\r\n"
    "  <Product name=\"Virelta\">Вирельта</Product>\r\n"
    "  <Level>010111</Level>\r\n"
    "  <Updater><Url>file://server/updates</Url></Updater>\r\n"
    "</ROOT>\r\n";

constexpr wchar_t kPrefix[] = L"Cannot get release information, error: ";

class ReleaseInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    folder_ = env_->NewScratchFolder();
    xml_ = MakeXml(Fs());
  }
  void TearDown() override {
    Fs().SetAttributes(File(), os::attr::kNormal);  // so that the scratch folder can go
  }

  os::IFileSystem& Fs() { return env_->Fs(); }
  std::wstring File() const { return folder_ + L"ReleaseInfo"; }
  std::string Content() { return os::testing::ReadBytes(Fs(), File()).value_or("(missing)"); }
  std::wstring Update(const std::wstring& level) {
    return RaisedMessage([&] { UpdateReleaseLevel(Fs(), *xml_, folder_, level); });
  }

  std::unique_ptr<os::testing::TestEnvironment> env_;
  std::wstring folder_;
  std::unique_ptr<os::IXml> xml_;
};

TEST_F(ReleaseInfoTest, TheLevelIsReplacedAndTheRestOfTheDocumentKept) {
  os::testing::WriteBytes(Fs(), File(), kReleaseInfo);
  EXPECT_EQ(Update(L"150612"), L"(nothing raised)");
  const std::string after = Content();
  EXPECT_NE(after.find("<Level>150612</Level>"), std::string::npos) << after;
  EXPECT_EQ(after.find("010111"), std::string::npos) << after;
  // The layout stays; the line breaks themselves may come back as LF alone (Wine's MSXML).
  for (const char* kept :
       {"<Version>1</Version>", "<!-- Сведения о выпуске -->",
        "<Product name=\"Virelta\">Вирельта</Product>",
        "<Updater><Url>file://server/updates</Url></Updater>", "\n  <Version>"}) {
    EXPECT_NE(after.find(kept), std::string::npos) << kept << " in " << after;
  }
  // A second run over the written file works the same.
  EXPECT_EQ(Update(L"010113"), L"(nothing raised)");
  EXPECT_NE(Content().find("<Level>010113</Level>"), std::string::npos);
}

TEST_F(ReleaseInfoTest, AnEmptyLevelElementTakesTheLevel) {
  os::testing::WriteBytes(Fs(), File(), "<ROOT><Version>1</Version><Level/></ROOT>");
  EXPECT_EQ(Update(L"150612"), L"(nothing raised)");
  EXPECT_NE(Content().find("<Level>150612</Level>"), std::string::npos) << Content();
}

TEST_F(ReleaseInfoTest, AMissingFileIsReportedWithoutPrefix) {
  EXPECT_EQ(Update(L"150612"), L"Release info file does not exist");
  ASSERT_EQ(Fs().CreateFolder(File()), 0u);  // a folder of that name is no file either
  EXPECT_EQ(Update(L"150612"), L"Release info file does not exist");
  EXPECT_EQ(Fs().RemoveFolder(File()), 0u);
}

// What cannot take the level: the prefixed reason, and the file exactly as it was.
TEST_F(ReleaseInfoTest, ADocumentThatFailsIsLeftAsItWas) {
  const struct {
    std::string content;
    std::wstring message;  // the whole message, or its start where the parser words it
    bool whole;
  } cases[] = {
      {"<ROOT><Version>2</Version><Level>1</Level></ROOT>",
       std::wstring(kPrefix) + L"unknown release file version", true},
      {"<ROOT>\r\n  <Level>1</Level>\r\n</ROOT>\r\n",
       std::wstring(kPrefix) + L"unknown release file version", true},
      {"<ROOT><Version>1.5</Version><Level>1</Level></ROOT>",
       std::wstring(kPrefix) + L"версия \"1.5\" не является целым числом", true},
      {"<ROOT><Version>1</Version></ROOT>", std::wstring(kPrefix) + L"в файле нет элемента Level",
       true},
      {"<Root><Version>1</Version><Level>1</Level></Root>",
       std::wstring(kPrefix) + L"в файле нет корневого элемента ROOT", true},
      {"<ROOT>\r\n<Version>1</Version>\r\n<Level>1</Leve>\r\n</ROOT>",
       std::wstring(kPrefix) + L"ошибка разбора файла в строке 3: ", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    os::testing::WriteBytes(Fs(), File(), c.content);
    const std::wstring message = Update(L"150612");
    if (c.whole) {
      EXPECT_EQ(message, c.message);
    } else if (os::testing::RunningUnderWine()) {
      // Wine's MSXML reports a parse failure as the reason "error" without a line, so only the
      // prefix and some reason can be checked there.
      EXPECT_EQ(message.substr(0, std::wcslen(kPrefix)), kPrefix) << text::ToUtf8(message);
      EXPECT_GT(message.size(), std::wcslen(kPrefix) + 2);
    } else {
      EXPECT_EQ(message.substr(0, c.message.size()), c.message) << text::ToUtf8(message);
      EXPECT_GT(message.size(), c.message.size()) << "the parser's reason is missing";
    }
    EXPECT_EQ(Content(), c.content);
  }
}

TEST_F(ReleaseInfoTest, AReadOnlyFileIsReportedAndLeftAsItWas) {
  os::testing::WriteBytes(Fs(), File(), kReleaseInfo);
  ASSERT_EQ(Fs().SetAttributes(File(), os::attr::kReadOnly), 0u);
  const std::wstring message = Update(L"150612");
  const std::wstring expected = std::wstring(kPrefix) + L"файл не сохранён: ";
  EXPECT_EQ(message.substr(0, expected.size()), expected) << text::ToUtf8(message);
  EXPECT_GT(message.size(), expected.size());
  EXPECT_EQ(Content(), kReleaseInfo);
}

}  // namespace
}  // namespace engine
