#pragma once
// The arithmetic and texts of the wizard's windows that need no window: the top-level error
// box's text, the timed message form's countdown, height and place, the launch progress form's
// titles and place, and the scaling of forms designed at another resolution.
#include <cstdint>
#include <string>

namespace wizard {

// The text of an error that reached the top-level handler, as the box shows it: a full stop is
// appended unless the text ends in one already or in a character of lower code ("!", a blank).
std::wstring ErrorBoxText(const std::wstring& message);

struct Point {
  int x = 0;
  int y = 0;
};

// A length designed at `designedPpi` on a screen of `ppi` (rounded as MulDiv rounds).
int ScaleDesigned(int length, int ppi, int designedPpi);

// --- The timed message form ---

// Its stop timer's default interval.
inline constexpr int kDefaultStopIntervalMs = 20000;

// The stop timer's interval for ShowTimedMessage's Seconds: the default for 0, Seconds * 1000
// otherwise. Throws OperatorError for a negative Seconds (a range error) and for one whose
// millisecond count does not fit a signed 32-bit integer (an overflow error).
int StopIntervalFor(int seconds);

// Seconds left on the countdown label: the interval's whole seconds less the seconds elapsed
// since the form was shown, rounded half to even. `elapsedDays` is a difference of two
// date-times counted in days.
int CountdownSecondsLeft(int stopIntervalMs, double elapsedDays);

// The countdown label: "  19с".
std::wstring CountdownCaption(int secondsLeft);

// The form's height: the wrapped message's height, the button strip, the countdown strip and
// 60 pixels of frame and margins.
int TimedMessageHeight(int messageHeight, int buttonsHeight, int closeStripHeight);

// The form's place: its lower edge at the middle of the chosen monitor's height counted from 0,
// horizontally centred on that monitor. Divisions truncate toward zero.
Point TimedMessageOrigin(int monitorLeft, int screenWidth, int screenHeight, int formWidth,
                         int formHeight);

// --- The launch progress form ---

// Its title for `typemessage`: 2 "Запись данных ЭКГ", 3 "Преобразование данных ЭКГ в формат
// Вирельта", 4 empty, any other "Launching ".
std::wstring WaitRunTitle(std::uint8_t typemessage);

// Centred on the monitor; a form taller than the monitor still has its top inside it.
Point WaitRunOrigin(int monitorLeft, int monitorTop, int monitorWidth, int monitorHeight,
                    int formWidth, int formHeight);

}  // namespace wizard
