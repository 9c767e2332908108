// The progress operations through which the installation engine reports: the progress page's
// own lines, shown in LogList, the message dialogs, and the window kept alive during long copies.
#include "Main.h"

#include "Error.h"
#include "FontSize.h"
#include "MainTexts.h"
#include "MessageDialog.h"
#include "ScreenMonitorManager.h"
#include "ui/Application.h"

namespace wizard {
namespace {

// Painting and the system's queries are handled this often during a copy.
constexpr std::uint64_t kBreathMs = 50;

}  // namespace

void TFMain::ClearProgress() {
  lines_.clear();
  percentShown_ = -1;
  LogList.Clear();
}

int TFMain::Add(const std::wstring& text) {
  const int index = LogList.Add(text);
  lines_.push_back(text);
  ::SendMessageW(LogList.Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  return static_cast<int>(lines_.size()) - 1;
}

std::wstring TFMain::Get(int index) {
  if (index < 0 || index >= static_cast<int>(lines_.size())) {
    throw OperatorError(L"Индекс списка вне диапазона (" + std::to_wstring(index) + L")");
  }
  return lines_[static_cast<size_t>(index)];
}

void TFMain::Put(int index, const std::wstring& text) {
  if (index < 0 || index >= static_cast<int>(lines_.size())) {
    throw OperatorError(L"Индекс списка вне диапазона (" + std::to_wstring(index) + L")");
  }
  lines_[static_cast<size_t>(index)] = text;
  percentShown_ = -1;
  if (!LogList.Exists()) {
    return;  // the window was closed during the finishing steps
  }
  LogList.Put(index, text);
}

void TFMain::ProcessMessages() {
  ui::Application::Instance().ProcessMessages();
}

void TFMain::Repaint() {
  LogList.Repaint();
}

void TFMain::ShowError(const std::wstring& text) {
  ShowErrorMessage(Handle(), text);
}

bool TFMain::Confirm(const std::wstring& text) {
  return ConfirmMessage(Handle(), text);
}

void TFMain::SetBusy(bool busy) {
  FCanClose = !busy;
  vr::myScreen->SetCursor(busy ? vr::crHourGlass : vr::crDefault);
  SetShutdownBlock(Handle(), busy, texts::kShutdownBlockReason);
}

// The copy's line shows its percentage; the line itself stays as the engine wrote it.
void TFMain::CopyProgress(int index, std::uint64_t done, std::uint64_t total) {
  if (!LogList.Exists() || total == 0 || index < 0 || index >= static_cast<int>(lines_.size())) {
    return;
  }
  const int percent = static_cast<int>(done * 100 / total);
  if (index != percentLine_ || percent != percentShown_) {
    percentLine_ = index;
    percentShown_ = percent;
    LogList.Put(index, lines_[static_cast<size_t>(index)] + L" " + std::to_wstring(percent) + L"%");
    LogList.Repaint();
  }
  const std::uint64_t now = ::GetTickCount64();
  if (now - lastBreath_ >= kBreathMs) {
    lastBreath_ = now;
    ui::Application::Instance().ProcessPaintAndSentMessages();
  }
}

}  // namespace wizard
