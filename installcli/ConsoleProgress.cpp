#include "ConsoleProgress.h"

#include <stdexcept>

#include "engine/InstallRequest.h"

namespace cli {
namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";

wchar_t LowerOf(wchar_t c) {
  if ((c >= L'A' && c <= L'Z') || (c >= L'А' && c <= L'Я')) {
    return static_cast<wchar_t>(c + 0x20);
  }
  return c;
}

}  // namespace

bool IsYesAnswer(const std::wstring& typed) {
  std::wstring answer = engine::TrimControlAndBlanks(typed);
  for (wchar_t& c : answer) {
    c = LowerOf(c);
  }
  return answer == L"y" || answer == L"yes" || answer == L"д" || answer == L"да";
}

ConsoleProgress::ConsoleProgress(IConsole& console, Answers answers)
    : console_(console), answers_(answers) {}

int ConsoleProgress::Add(const std::wstring& text) {
  if (lineOpen_) {
    console_.WriteOutput(kLineEnd);
  }
  lines_.push_back(text);
  console_.WriteOutput(text);
  lineOpen_ = true;
  return static_cast<int>(lines_.size()) - 1;
}

std::wstring& ConsoleProgress::LineAt(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= lines_.size()) {
    throw std::out_of_range("no progress line " + std::to_string(index));
  }
  return lines_[static_cast<std::size_t>(index)];
}

std::wstring ConsoleProgress::Get(int index) {
  return LineAt(index);
}

void ConsoleProgress::Put(int index, const std::wstring& text) {
  std::wstring& line = LineAt(index);
  const bool last = static_cast<std::size_t>(index) + 1 == lines_.size();
  if (last && lineOpen_ && text.starts_with(line)) {
    console_.WriteOutput(std::wstring_view(text).substr(line.size()));
  } else {
    Message(L"Строка " + std::to_wstring(index + 1) + L" списка изменена: " + text);
  }
  line = text;
}

void ConsoleProgress::FailureReason(const std::wstring& text) {
  Message(text);
}

void ConsoleProgress::Warning(const std::wstring& text) {
  Message(text);
}

void ConsoleProgress::ShowError(const std::wstring& text) {
  Message(L"Error: " + text);
}

bool ConsoleProgress::Confirm(const std::wstring& text) {
  const std::wstring question = L"Confirm: " + text + L" [Yes/No] ";
  if (answers_ == Answers::kAllYes) {
    Message(question + L"Yes");
    return true;
  }
  if (!console_.InputIsInteractive()) {
    Message(question + L"No");
    return false;
  }
  EndLineBeforeMessage();
  console_.WriteError(question);
  const std::optional<std::wstring> typed = console_.ReadLine();
  if (!typed) {
    console_.WriteError(std::wstring(L"No") + kLineEnd);  // the input has ended
    return false;
  }
  return IsYesAnswer(*typed);
}

void ConsoleProgress::SetBusy(bool busy) {
  console_.RefuseInterrupt(busy);
}

void ConsoleProgress::Finish() {
  if (lineOpen_) {
    console_.WriteOutput(kLineEnd);
    lineOpen_ = false;
  }
}

void ConsoleProgress::EndLineBeforeMessage() {
  // Where both streams end up in one place, the message would otherwise continue the open
  // progress line. The list's own line end is written now instead of before the next line, so
  // that no empty line follows the message; the list stays the same bytes.
  if (lineOpen_ && console_.OutputSharesScreenWithErrors()) {
    console_.WriteOutput(kLineEnd);
    lineOpen_ = false;
  }
}

void ConsoleProgress::Message(const std::wstring& text) {
  EndLineBeforeMessage();
  console_.WriteError(text + kLineEnd);
}

}  // namespace cli
