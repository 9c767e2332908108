#pragma once
// The screen and the monitors the complex's windows are placed on. The figures are taken once
// when the instance is made; SelectMonitor then chooses one monitor by number and puts that
// monitor's size in their place. Windows that centre themselves read Monitornumber, Width and
// Height and ask GetMonitor(Monitornumber) for the position.
#include <cstdint>
#include <memory>

#include "os/Display.h"

namespace vr {

// A cursor identifier of the window toolkit: 0 the default, negative the standard ones.
using TCursor = std::int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crHourGlass = -11;

// One monitor's bounds on the virtual desktop, in pixels.
struct TMonitor {
  std::uintptr_t Handle = 0;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

class TmyScreen {
 public:
  // Fills the figures from the screen: the monitor count, the primary screen's size and work
  // area, its logical pixels per inch; the cursor is the default one.
  explicit TmyScreen(os::IDisplay& screen);
  TmyScreen(const TmyScreen&) = delete;
  TmyScreen& operator=(const TmyScreen&) = delete;

  // Monitor number Index, 0 being the first the system enumerates (not necessarily the
  // primary). Throws std::out_of_range when there is no such monitor.
  TMonitor GetMonitor(int Index) const;
  TMonitor Monitors(int Index) const { return GetMonitor(Index); }

  TCursor GetCursor() const { return FCursor; }
  // Stores the cursor and makes it the program's screen cursor; a failure to set it is ignored.
  void SetCursor(TCursor Value);

  // Chooses monitor Index (the first one when there is no such monitor) and takes its full
  // bounds as Width, Height, WorkAreaWidth and WorkAreaHeight, and its pixels per inch / 96 as
  // ScaleKoef. Used through vr::SelectMonitor.
  void Select(std::uint8_t Index);

  os::IDisplay& FScreen;  // not owned
  TCursor FCursor = crDefault;
  int MonitorCount = 0;
  int Width = 0;
  int Height = 0;
  int WorkAreaWidth = 0;
  int WorkAreaHeight = 0;
  int Monitornumber = 0;
  int PixelsPerInch = 0;
  double ScaleKoef = 0.0;
};

// The program-wide instance: made by InitializeScreen, released by FinalizeScreen.
extern std::unique_ptr<TmyScreen> myScreen;

// Makes myScreen from the display (replacing an earlier one). The program then selects its
// monitor with SelectMonitor(0).
void InitializeScreen(os::IDisplay& display);
void FinalizeScreen();

// myScreen->Select(Index). Throws std::logic_error when myScreen has not been made.
void SelectMonitor(std::uint8_t Index);

}  // namespace vr
