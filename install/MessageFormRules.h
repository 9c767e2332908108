#pragma once
// The timed message form's rules that need no window: its countdown, height and place.
#include <string>

#include "ui/Geometry.h"

namespace wizard {

using ui::Point;
using ui::ScaleDesigned;

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

}  // namespace wizard
