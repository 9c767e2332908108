#pragma once
// The launch progress form's rules that need no window: its title and place.
#include <cstdint>
#include <string>

#include "ui/Geometry.h"

namespace wizard {

using ui::Point;
using ui::ScaleDesigned;

// Its title for `typemessage`: 2 "Запись данных ЭКГ", 3 "Преобразование данных ЭКГ в формат
// Вирельта", 4 empty, any other "Launching ".
std::wstring WaitRunTitle(std::uint8_t typemessage);

// Centred on the monitor; a form taller than the monitor still has its top inside it.
Point WaitRunOrigin(int monitorLeft, int monitorTop, int monitorWidth, int monitorHeight,
                    int formWidth, int formHeight);

}  // namespace wizard
