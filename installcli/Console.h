#pragma once
// The console installer's standard handles and its console, as the portable part sees them.
// Win32Console is the real one; the tests have a recording one.
#include <optional>
#include <string>
#include <string_view>

namespace cli {

class IConsole {
 public:
  virtual ~IConsole() = default;
  // Standard output: the progress list and nothing else.
  virtual void WriteOutput(std::wstring_view text) = 0;
  // Standard error: messages, questions and the outcome.
  virtual void WriteError(std::wstring_view text) = 0;
  // True when standard input is a console the operator can type into.
  virtual bool InputIsInteractive() = 0;
  // One line typed by the operator, without its line break; nothing at the end of the input.
  virtual std::optional<std::wstring> ReadLine() = 0;
  // True when standard output and standard error (may) end up in the same place: one console,
  // one terminal, one file or a pipe; a message on standard error then starts on a line of its
  // own instead of continuing an open progress line.
  virtual bool OutputSharesScreenWithErrors() = 0;
  // True: Ctrl+C and Ctrl+Break are refused until this is called with false.
  virtual void RefuseInterrupt(bool refuse) = 0;
};

}  // namespace cli
