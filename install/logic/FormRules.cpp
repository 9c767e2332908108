#include "logic/FormRules.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "Error.h"

namespace wizard {

std::wstring ErrorBoxText(const std::wstring& message) {
  return WithClosingFullStop(message);
}

int ScaleDesigned(int length, int ppi, int designedPpi) {
  if (designedPpi == 0) {
    return length;
  }
  const long long scaled = static_cast<long long>(length) * ppi;
  // Rounded half away from zero, as MulDiv rounds.
  const long long half = designedPpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / designedPpi
                                      : -((-scaled + half) / designedPpi));
}

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
  return {monitorLeft + (screenWidth - formWidth) / 2, screenHeight / 2 - formHeight};
}

std::wstring WaitRunTitle(std::uint8_t typemessage) {
  switch (typemessage) {
    case 2:
      return L"Запись данных ЭКГ";
    case 3:
      return L"Преобразование данных ЭКГ в формат Вирельта";
    case 4:
      return L"";
    default:
      return L"Launching ";
  }
}

Point WaitRunOrigin(int monitorLeft, int monitorTop, int monitorWidth, int monitorHeight,
                    int formWidth, int formHeight) {
  return {monitorLeft + (monitorWidth - formWidth) / 2,
          monitorTop + std::abs(monitorHeight - formHeight) / 2};
}

}  // namespace wizard
