#pragma once
// The console installer's standard handles. Text reaches a console through WriteConsoleW, which
// shows every character whatever the console's code page, and leaves that code page as the
// operator had it; a redirected handle (a file or a pipe) gets the text as UTF-8 bytes, exactly
// as written, through WriteFile.
#include <windows.h>

#include "Console.h"

namespace cli {

class Win32Console final : public IConsole {
 public:
  Win32Console();
  ~Win32Console() override;
  Win32Console(const Win32Console&) = delete;
  Win32Console& operator=(const Win32Console&) = delete;

  void WriteOutput(std::wstring_view text) override;
  void WriteError(std::wstring_view text) override;
  bool InputIsInteractive() override;
  std::optional<std::wstring> ReadLine() override;
  bool OutputSharesScreenWithErrors() override;
  void RefuseInterrupt(bool refuse) override;

 private:
  HANDLE input_;
  HANDLE output_;
  HANDLE error_;
  bool refusing_ = false;
};

}  // namespace cli
