#pragma once
// A console for tests: keeps standard output and standard error apart, as one text each, and
// both in the order written as one screen would show them; answers questions from a script.
#include <deque>
#include <string>

#include "Console.h"

namespace cli::testing {

class RecordingConsole final : public IConsole {
 public:
  void WriteOutput(std::wstring_view text) override {
    output.append(text);
    screen.append(text);
  }
  void WriteError(std::wstring_view text) override {
    errors.append(text);
    screen.append(text);
  }
  bool InputIsInteractive() override { return interactive; }
  std::optional<std::wstring> ReadLine() override {
    ++reads;
    if (typed.empty()) {
      return std::nullopt;
    }
    std::wstring line = typed.front();
    typed.pop_front();
    return line;
  }
  bool OutputSharesScreenWithErrors() override { return sharedScreen; }
  void RefuseInterrupt(bool refuse) override {
    interruptRefused = refuse;
    refuseCalls += refuse ? L"+" : L"-";
  }

  std::wstring output;
  std::wstring errors;
  std::wstring screen;
  bool interactive = false;
  bool sharedScreen = false;
  std::deque<std::wstring> typed;  // lines the operator types; then the input ends
  int reads = 0;
  bool interruptRefused = false;
  std::wstring refuseCalls;  // "+" for each refusal, "-" for each release, in order
};

}  // namespace cli::testing
