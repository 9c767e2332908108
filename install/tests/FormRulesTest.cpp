// The wizard's window arithmetic without windows: the error box's full stop, the timed message
// form's interval, countdown, height and place, the launch progress form's titles and place.
#include <gtest/gtest.h>

#include <array>

#include "Error.h"
#include "MessageDialogRules.h"
#include "MessageFormRules.h"
#include "WaitRunRules.h"

namespace wizard {
namespace {

TEST(ErrorBoxText, FullStopOnlyAfterACharacterAboveTheFullStop) {
  const struct {
    std::wstring message;
    std::wstring shown;
  } cases[] = {
      {L"Cannot open file", L"Cannot open file."},
      {L"Файл не найден", L"Файл не найден."},
      {L"Уже с точкой.", L"Уже с точкой."},
      {L"Ошибка!", L"Ошибка!"},       // "!" is below "."
      {L"Путь C:\\", L"Путь C:\\."},  // "\" is above "."
      {L"Ends in a blank ", L"Ends in a blank "},
      {L"", L"."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message.size();
  }
}

TEST(TimedMessage, StopIntervalCountdownHeightAndPlace) {
  EXPECT_EQ(StopIntervalFor(0), 20000);
  EXPECT_EQ(StopIntervalFor(60), 60000);
  EXPECT_EQ(StopIntervalFor(2147483), 2147483000);
  EXPECT_THROW(StopIntervalFor(-1), OperatorError);
  EXPECT_THROW(StopIntervalFor(2147484), OperatorError);

  constexpr double kSecond = 1.0 / (24 * 60 * 60);
  const struct {
    int intervalMs;
    double elapsedSeconds;
    int left;
  } ticks[] = {
      {20000, 1.0, 19}, {60000, 1.0, 59},  {20000, 0.5, 20},  // 19.5 rounds to the even 20
      {20000, 1.5, 18},                                       // 18.5 to the even 18
      {20000, 2.4, 18}, {20000, 25.0, -5}, {1500, 0.0, 1},    // whole seconds of the interval
  };
  for (const auto& t : ticks) {
    EXPECT_EQ(CountdownSecondsLeft(t.intervalMs, t.elapsedSeconds * kSecond), t.left)
        << t.intervalMs << " after " << t.elapsedSeconds;
  }
  EXPECT_EQ(CountdownCaption(19), L"  19с");

  // A long text makes the form taller by its own height; the lower edge stays at the middle.
  EXPECT_EQ(TimedMessageHeight(16, 24, 16), 116);
  EXPECT_EQ(TimedMessageHeight(160, 24, 16), 260);
  const Point small = TimedMessageOrigin(0, 1280, 1024, 462, 116);
  EXPECT_EQ(small.x, 409);
  EXPECT_EQ(small.y, 512 - 116);
  const Point second = TimedMessageOrigin(1280, 1920, 1081, 462, 260);
  EXPECT_EQ(second.x, 1280 + 729);
  EXPECT_EQ(second.y, 540 - 260);
  // A form wider than the screen: the division truncates toward zero.
  EXPECT_EQ(TimedMessageOrigin(0, 400, 600, 461, 100).x, -30);
}

TEST(WaitRun, TitlesAndPlace) {
  EXPECT_EQ(WaitRunTitle(0), L"Launching ");
  EXPECT_EQ(WaitRunTitle(1), L"Launching ");
  EXPECT_EQ(WaitRunTitle(2), L"Запись данных ЭКГ");
  EXPECT_EQ(WaitRunTitle(3), L"Преобразование данных ЭКГ в формат Вирельта");
  EXPECT_EQ(WaitRunTitle(4), L"");
  EXPECT_EQ(WaitRunTitle(255), L"Launching ");

  const Point centred = WaitRunOrigin(1280, 10, 1920, 1080, 320, 70);
  EXPECT_EQ(centred.x, 1280 + 800);
  EXPECT_EQ(centred.y, 10 + 505);
  // Taller than the monitor: the top still lies inside it.
  EXPECT_EQ(WaitRunOrigin(0, 0, 800, 600, 320, 700).y, 50);
}

TEST(ScaleDesigned, RoundsLikeMulDiv) {
  EXPECT_EQ(ScaleDesigned(446, 96, 96), 446);
  EXPECT_EQ(ScaleDesigned(446, 120, 96), 558);  // 557.5 rounds up
  EXPECT_EQ(ScaleDesigned(471, 96, 144), 314);
  EXPECT_EQ(ScaleDesigned(-20, 96, 144), -13);
}

// Docked controls take their edge in order from what the earlier ones left; hidden ones take
// nothing, and one that fills takes the rest.
TEST(DockLayout, EachEdgeInTurnFromWhatIsLeft) {
  using ui::Dock;
  const auto placed = ui::DockLayout({10, 20, 446, 138}, {{Dock::kTop, 40},
                                                          {Dock::kBottom, 16},
                                                          {Dock::kBottom, 24},
                                                          {Dock::kBottom, 17, false},
                                                          {Dock::kLeft, 73},
                                                          {Dock::kRight, 70},
                                                          {Dock::kRight, 10},
                                                          {Dock::kFill}});
  const std::vector<std::array<int, 4>> expected = {
      {10, 20, 446, 40}, {10, 142, 446, 16}, {10, 118, 446, 24}, {10, 118, 446, 0},
      {10, 60, 73, 58},  {386, 60, 70, 58},  {376, 60, 10, 58},  {83, 60, 293, 58}};
  ASSERT_EQ(placed.size(), expected.size());
  for (size_t i = 0; i < placed.size(); ++i) {
    const ui::Bounds& b = placed[i];
    EXPECT_EQ((std::array<int, 4>{b.left, b.top, b.width, b.height}), expected[i]) << i;
  }
}

}  // namespace
}  // namespace wizard
