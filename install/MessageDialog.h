#pragma once
// The program's message dialog: an icon, the text and the buttons, with English titles and
// buttons ("Error", "Warning", "Confirm"; "OK", "&Yes", "&No") on every Windows language. The
// system's MessageBox would show the buttons in the system's language and name them otherwise
// than the operators' instructions do. Modal, centred on its owner, keyboard as in every dialog:
// Tab moves, Enter presses the focused or the default button, Esc and the close box answer as the
// last button does, Alt+Y / Alt+N press "&Yes" / "&No".
#include <windows.h>

#include <string>

namespace wizard {

enum class DialogIcon { kError, kWarning, kQuestion, kInformation };
enum class DialogButtons { kOk, kYesNo };
enum class DialogResult { kOk, kYes, kNo };

DialogResult ShowMessageDialog(HWND owner, const std::wstring& caption, const std::wstring& text,
                               DialogIcon icon, DialogButtons buttons);

// The standard dialogs of the installer.
void ShowErrorMessage(HWND owner, const std::wstring& text);    // "Error", OK
void ShowWarningMessage(HWND owner, const std::wstring& text);  // "Warning", OK
bool ConfirmMessage(HWND owner, const std::wstring& text);      // "Confirm", true for "&Yes"
bool WarningQuestion(HWND owner, const std::wstring& text);     // "Warning", true for "&Yes"

}  // namespace wizard
