#include "Win32Console.h"

#include <algorithm>
#include <string>

#include "text/Utf.h"

namespace cli {
namespace {

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// A failed write (a closed pipe, a full disk) must not stop an installation halfway: the text is
// dropped.
void Write(HANDLE handle, std::wstring_view text) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) {
    return;
  }
  if (IsConsole(handle)) {
    while (!text.empty()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 4096));
      if (!::WriteConsoleW(handle, text.data(), chunk, &written, nullptr) || written == 0) {
        return;
      }
      text.remove_prefix(written);
    }
    return;
  }
  const std::string bytes = text::ToUtf8(text);
  std::string_view rest = bytes;
  while (!rest.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 65536));
    if (!::WriteFile(handle, rest.data(), chunk, &written, nullptr) || written == 0) {
      return;
    }
    rest.remove_prefix(written);
  }
}

BOOL WINAPI RefuseCtrlC(DWORD type) {
  return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT;
}

}  // namespace

Win32Console::Win32Console()
    : input_(::GetStdHandle(STD_INPUT_HANDLE)),
      output_(::GetStdHandle(STD_OUTPUT_HANDLE)),
      error_(::GetStdHandle(STD_ERROR_HANDLE)) {}

Win32Console::~Win32Console() {
  RefuseInterrupt(false);
}

void Win32Console::WriteOutput(std::wstring_view text) {
  Write(output_, text);
}

void Win32Console::WriteError(std::wstring_view text) {
  Write(error_, text);
}

bool Win32Console::InputIsInteractive() {
  return IsConsole(input_);
}

std::optional<std::wstring> Win32Console::ReadLine() {
  std::wstring line;
  for (;;) {
    wchar_t buffer[256];
    DWORD read = 0;
    if (!::ReadConsoleW(input_, buffer, 256, &read, nullptr) || read == 0) {
      return line.empty() ? std::nullopt : std::optional<std::wstring>(line);
    }
    line.append(buffer, read);
    const std::size_t end = line.find(L'\n');
    if (end != std::wstring::npos) {
      line.erase(end);
      if (!line.empty() && line.back() == L'\r') {
        line.pop_back();
      }
      return line;
    }
  }
}

bool Win32Console::OutputSharesScreenWithErrors() {
  if (IsConsole(output_) && IsConsole(error_)) {
    return true;
  }
  const DWORD type = ::GetFileType(output_);
  if (type != ::GetFileType(error_)) {
    return false;
  }
  switch (type) {
    case FILE_TYPE_DISK: {  // "> log 2>&1" gives one file
      BY_HANDLE_FILE_INFORMATION output{};
      BY_HANDLE_FILE_INFORMATION errors{};
      if (!::GetFileInformationByHandle(output_, &output) ||
          !::GetFileInformationByHandle(error_, &errors)) {
        return true;  // cannot tell (Wine, for the files a Unix shell hands over)
      }
      return output.dwVolumeSerialNumber == errors.dwVolumeSerialNumber &&
             output.nFileIndexHigh == errors.nFileIndexHigh &&
             output.nFileIndexLow == errors.nFileIndexLow;
    }
    // A terminal that is no Windows console (Wine passes a Unix terminal on as a character
    // device), or "2>&1 | more": two pipes cannot be told apart, and a line break too many on a
    // separate error pipe costs less than a question glued to a progress line.
    case FILE_TYPE_CHAR:
    case FILE_TYPE_PIPE:
      return true;
    default:
      return false;
  }
}

void Win32Console::RefuseInterrupt(bool refuse) {
  if (refuse != refusing_ && ::SetConsoleCtrlHandler(RefuseCtrlC, refuse ? TRUE : FALSE)) {
    refusing_ = refuse;
  }
}

}  // namespace cli
