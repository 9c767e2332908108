#include "WaitRunRules.h"

#include <cstdlib>

namespace wizard {

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
  return {ui::CentredStart(monitorLeft, monitorWidth, formWidth),
          monitorTop + std::abs(monitorHeight - formHeight) / 2};
}

}  // namespace wizard
