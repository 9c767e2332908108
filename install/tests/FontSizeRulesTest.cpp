// "Изменить настройки": the question is asked whatever the font change achieved; only "&Yes"
// requests the forced restart (recorded by the system double, never performed) and closes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FontSizeRules.h"
#include "os/testing/FakeSystem.h"

namespace wizard {
namespace {

TEST(FontSizePage, RestartOnlyOnYesAndTheQuestionEveryTime) {
  for (const bool yes : {false, true}) {
    os::testing::FakeSystem system;
    std::vector<std::wstring> steps;
    const FontSizePageActions actions{
        .changeSystemFontSize = [&] { steps.push_back(L"change"); },
        .askRestart =
            [&](const std::wstring& text) {
              steps.push_back(L"ask " + text);
              return yes;
            },
        .closeMainWindow = [&] { steps.push_back(L"close"); },
    };
    // Pressed twice: the system is asked twice, and so is the operator.
    ChangeFontSizeAndOfferRestart(system, actions);
    ChangeFontSizeAndOfferRestart(system, actions);

    const std::wstring ask =
        L"ask Изменения в настройки внесены, для того чтобы они\r\nвступили в силу, требуется "
        L"перзагрузить операционную систему.\r\nВыполнить перезагрузку сейчас?";
    if (yes) {
      EXPECT_EQ(steps,
                (std::vector<std::wstring>{L"change", ask, L"close", L"change", ask, L"close"}));
      EXPECT_EQ(
          system.Calls(),
          (std::vector<std::wstring>{
              L"IsNtPlatform", L"EnablePrivilege SeShutdownPrivilege", L"RequestExitWindows 6 0",
              L"IsNtPlatform", L"EnablePrivilege SeShutdownPrivilege", L"RequestExitWindows 6 0"}));
    } else {
      EXPECT_EQ(steps, (std::vector<std::wstring>{L"change", ask, L"change", ask}));
      EXPECT_TRUE(system.Calls().empty());
    }
  }
}

TEST(FontSizePage, ARefusedRestartStillClosesTheWizard) {
  os::testing::FakeSystem system;
  system.SetExitResult(false);
  system.SetPrivilegeResult(false);
  bool closed = false;
  ChangeFontSizeAndOfferRestart(system, {.changeSystemFontSize = [] {},
                                         .askRestart = [](const std::wstring&) { return true; },
                                         .closeMainWindow = [&] { closed = true; }});
  EXPECT_TRUE(closed);
  EXPECT_EQ(system.Calls().back(), L"RequestExitWindows 6 0");
}

}  // namespace
}  // namespace wizard
