#pragma once
// The message dialog's rules that need no window.
#include <string>

namespace wizard {

// The text of an error that reached the top-level handler, as the box shows it: a full stop is
// appended unless the text ends in one already or in a character of lower code ("!", a blank).
std::wstring ErrorBoxText(const std::wstring& message);

}  // namespace wizard
