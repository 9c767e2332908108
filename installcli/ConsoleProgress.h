#pragma once
// The progress interface of the console installer. Standard output carries the progress list as
// it grows: each line as the list holds it, a completion word appended on the same line when it
// comes, lines ended by CR LF, so that the output equals the final list line by line. A line is
// ended only when the next one begins or the run is over (Finish), because its completion word may
// still follow. Messages and questions go to standard error.
#include <string>
#include <vector>

#include "Console.h"
#include "engine/InstallProgress.h"

namespace cli {

enum class Answers {
  kAsk,    // ask the operator when standard input is a console, otherwise No
  kAllYes  // --yes
};

class ConsoleProgress final : public engine::IInstallProgress {
 public:
  ConsoleProgress(IConsole& console, Answers answers);

  int Add(const std::wstring& text) override;
  std::wstring Get(int index) override;
  // Shown as the added characters when the last line grows (the completion of a line). Output
  // already written cannot be taken back: any other change of a line is reported on standard
  // error, and standard output then no longer matches the list.
  void Put(int index, const std::wstring& text) override;
  void ProcessMessages() override {}
  void Repaint() override {}
  void ShowError(const std::wstring& text) override;
  // On standard error, on a line of its own.
  void FailureReason(const std::wstring& text) override;
  // On standard error, on a line of its own.
  void Warning(const std::wstring& text) override;
  bool Confirm(const std::wstring& text) override;
  // Refuses Ctrl+C while busy: files are being written.
  void SetBusy(bool busy) override;

  // Ends the last line. Called once the run is over, however it ended.
  void Finish();
  // A message on standard error, on a line of its own.
  void Message(const std::wstring& text);

  const std::vector<std::wstring>& Lines() const { return lines_; }

 private:
  std::wstring& LineAt(int index);
  void EndLineBeforeMessage();

  IConsole& console_;
  Answers answers_;
  std::vector<std::wstring> lines_;
  bool lineOpen_ = false;  // the last line is written but not yet ended
};

// True for an answer typed as Yes: "y", "yes", "д" or "да" in any letter case, blanks around
// ignored.
bool IsYesAnswer(const std::wstring& typed);

}  // namespace cli
