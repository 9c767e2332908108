#include "MessageDialog.h"

#include <algorithm>
#include <vector>

#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Gdi.h"

namespace wizard {
namespace {

constexpr wchar_t kClassName[] = L"TMessageForm";
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
constexpr int kMaxTextWidth = 420;

struct ButtonSpec {
  const wchar_t* text;
  DialogResult result;
};

std::vector<ButtonSpec> ButtonsOf(DialogButtons buttons) {
  if (buttons == DialogButtons::kYesNo) {
    return {{L"&Yes", DialogResult::kYes}, {L"&No", DialogResult::kNo}};
  }
  return {{L"OK", DialogResult::kOk}};
}

LPCWSTR SystemIcon(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::kError:
      return MAKEINTRESOURCEW(32513);  // IDI_HAND
    case DialogIcon::kWarning:
      return MAKEINTRESOURCEW(32515);  // IDI_EXCLAMATION
    case DialogIcon::kQuestion:
      return MAKEINTRESOURCEW(32514);  // IDI_QUESTION
    case DialogIcon::kInformation:
      break;
  }
  return MAKEINTRESOURCEW(32516);  // IDI_ASTERISK
}

UINT SoundOf(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::kError:
      return MB_ICONHAND;
    case DialogIcon::kWarning:
      return MB_ICONEXCLAMATION;
    case DialogIcon::kQuestion:
      return MB_ICONQUESTION;
    case DialogIcon::kInformation:
      break;
  }
  return MB_ICONASTERISK;
}

ui::Font MessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return ui::Font(::CreateFontIndirectW(&metrics.lfMessageFont));
  }
  return ui::MakeFont(L"Tahoma", 11);
}

class MessageDialogWindow : public ui::Window {
 public:
  DialogResult Show(HWND owner, const std::wstring& caption, const std::wstring& text,
                    DialogIcon icon, DialogButtons buttons) {
    buttons_ = ButtonsOf(buttons);
    result_ = buttons_.back().result;  // the close box and Esc answer as the last button
    RegisterWindowClass(kClassName);
    Create(kClassName, caption, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
           WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, {0, 0, 100, 100}, owner);
    Layout(owner, text, icon);
    ::MessageBeep(SoundOf(icon));
    closed_ = false;
    ui::Application::Instance().RunModal(Handle(), buttonControls_.front().Handle(), closed_);
    return result_;
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    LRESULT face = 0;
    if (DialogFace(message, wParam, face)) {
      return face;
    }
    switch (message) {
      case WM_COMMAND:
        OnCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
      case WM_CLOSE:
        Finish(buttons_.back().result);
        return 0;
      default:
        return DefaultHandling(message, wParam, lParam);
    }
  }

 private:
  void Layout(HWND owner, const std::wstring& text, DialogIcon icon) {
    font_ = MessageFont();
    int textWidth = kMaxTextWidth;
    {
      // One short line needs no more than its own width; a little slack keeps the static
      // control from wrapping or cutting what DrawText measured.
      ui::WindowDc dc(Handle());
      ui::SelectedObject selected(dc.Get(), font_.Get());
      RECT area{0, 0, kMaxTextWidth, 0};
      ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &area,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
      textWidth = std::min<int>(kMaxTextWidth, area.right - area.left + 12);
    }
    const int lineHeight = ui::WrappedTextHeight(Handle(), font_.Get(), L"Ag", textWidth);
    const int textHeight = std::max(
        kIconSize, ui::WrappedTextHeight(Handle(), font_.Get(), text, textWidth) + lineHeight / 2);
    const int count = static_cast<int>(buttons_.size());
    const int buttonsWidth = count * kButtonWidth + (count - 1) * kButtonGap;
    const int textLeft = kMargin + kIconSize + kMargin;
    const int clientWidth = std::max(textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin);
    const int buttonsTop = kMargin + textHeight + kMargin + 4;
    const int clientHeight = buttonsTop + kButtonHeight + kMargin;

    using enum ui::Kind;
    const int textTop = kMargin + (textHeight > kIconSize ? 0 : (kIconSize - textHeight) / 2);
    // clang-format off
    std::vector<ui::ControlRow<MessageDialogWindow>> table{
        {.field = &icon_, .kind = kIcon, .bounds = {kMargin, kMargin, kIconSize, kIconSize}},
        {.field = &text_, .kind = kLabel, .text = text, .font = font_.Get(), .bounds = {textLeft, textTop, textWidth, textHeight}},
    };
    // clang-format on
    buttonControls_.resize(buttons_.size());
    int left = (clientWidth - buttonsWidth) / 2;
    for (size_t i = 0; i < buttons_.size(); ++i) {
      table.push_back({.field = &buttonControls_[i],
                       .kind = i == 0 ? kDefaultButton : kButton,
                       .text = buttons_[i].text,
                       .font = font_.Get(),
                       .bounds = {left, buttonsTop, kButtonWidth, kButtonHeight}});
      left += kButtonWidth + kButtonGap;
    }
    ui::CreateControls(*this, table);
    ::SendMessageW(icon_.Handle(), STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadIconW(nullptr, SystemIcon(icon))), 0);

    RECT frame{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT around{};
    if (owner == nullptr || !::GetWindowRect(owner, &around) || ::IsIconic(owner)) {
      ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    }
    const int x = ui::CentredStart(around.left, around.right - around.left, width);
    const int y = ui::CentredStart(around.top, around.bottom - around.top, height);
    ::SetWindowPos(Handle(), HWND_TOP, x, y, width, height, SWP_NOACTIVATE);
  }

  // A button's click (from `control`), or Enter (the focused button, or the first one) and Esc
  // (the last one).
  void OnCommand(int id, HWND control) {
    if (id == IDCANCEL && control == nullptr) {
      Finish(buttons_.back().result);
      return;
    }
    const HWND pressed = control != nullptr ? control : ::GetFocus();
    for (size_t i = 0; i < buttonControls_.size(); ++i) {
      if (buttonControls_[i].Handle() == pressed) {
        Finish(buttons_[i].result);
        return;
      }
    }
    if (id == IDOK) {
      Finish(buttons_.front().result);
    }
  }

  void Finish(DialogResult result) {
    result_ = result;
    closed_ = true;  // the modal loop hides the dialog once its owner is active again
  }

  std::vector<ButtonSpec> buttons_;
  std::vector<ui::Control> buttonControls_;
  ui::Control icon_;
  ui::Control text_;
  ui::Font font_;
  DialogResult result_ = DialogResult::kOk;
  bool closed_ = false;
};

}  // namespace

DialogResult ShowMessageDialog(HWND owner, const std::wstring& caption, const std::wstring& text,
                               DialogIcon icon, DialogButtons buttons) {
  MessageDialogWindow dialog;
  return dialog.Show(owner, caption, text, icon, buttons);
}

void ShowErrorMessage(HWND owner, const std::wstring& text) {
  ShowMessageDialog(owner, L"Error", text, DialogIcon::kError, DialogButtons::kOk);
}

void ShowWarningMessage(HWND owner, const std::wstring& text) {
  ShowMessageDialog(owner, L"Warning", text, DialogIcon::kWarning, DialogButtons::kOk);
}

bool ConfirmMessage(HWND owner, const std::wstring& text) {
  return ShowMessageDialog(owner, L"Confirm", text, DialogIcon::kQuestion, DialogButtons::kYesNo) ==
         DialogResult::kYes;
}

bool WarningQuestion(HWND owner, const std::wstring& text) {
  return ShowMessageDialog(owner, L"Warning", text, DialogIcon::kWarning, DialogButtons::kYesNo) ==
         DialogResult::kYes;
}

}  // namespace wizard
