#include "MessageFormRules.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "Error.h"

namespace wizard {

int StopIntervalFor(int seconds) {
  if (seconds < 0) {
    throw OperatorError(L"Ошибка диапазона: число секунд окна сообщения меньше нуля");
  }
  if (seconds == 0) {
    return kDefaultStopIntervalMs;
  }
  if (seconds > std::numeric_limits<std::int32_t>::max() / 1000) {
    throw OperatorError(L"Переполнение: число секунд окна сообщения слишком велико");
  }
  return seconds * 1000;
}

int CountdownSecondsLeft(int stopIntervalMs, double elapsedDays) {
  const double left = stopIntervalMs / 1000 - elapsedDays * 24 * 60 * 60;
  // The default rounding mode rounds half to even.
  std::fesetround(FE_TONEAREST);
  return static_cast<int>(std::nearbyint(left));
}

std::wstring CountdownCaption(int secondsLeft) {
  return L"  " + std::to_wstring(secondsLeft) + L"с";
}

int TimedMessageHeight(int messageHeight, int buttonsHeight, int closeStripHeight) {
  return messageHeight + buttonsHeight + closeStripHeight + 60;
}

Point TimedMessageOrigin(int monitorLeft, int screenWidth, int screenHeight, int formWidth,
                         int formHeight) {
  return {ui::CentredStart(monitorLeft, screenWidth, formWidth), screenHeight / 2 - formHeight};
}

}  // namespace wizard
