#pragma once
// A progress interface for tests: keeps the lines like the wizard's list, answers questions from
// a script, and records every call in order, so that a test can check what the operator saw.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/InstallProgress.h"

namespace engine::testing {

class RecordingProgress : public IInstallProgress {
 public:
  int Add(const std::wstring& text) override {
    calls.push_back(L"Add " + text);
    lines.push_back(text);
    return static_cast<int>(lines.size()) - 1;
  }
  std::wstring Get(int index) override { return lines.at(static_cast<size_t>(index)); }
  void Put(int index, const std::wstring& text) override {
    calls.push_back(L"Put " + std::to_wstring(index) + L" " + text);
    lines.at(static_cast<size_t>(index)) = text;
  }
  void ProcessMessages() override { calls.push_back(L"ProcessMessages"); }
  void Repaint() override { calls.push_back(L"Repaint"); }
  void ShowError(const std::wstring& text) override {
    calls.push_back(L"ShowError " + text);
    errors.push_back(text);
  }
  bool Confirm(const std::wstring& text) override {
    calls.push_back(L"Confirm " + text);
    questions.push_back(text);
    if (answers.empty()) {
      return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  // Kept apart from `calls`: how many blocks a copy takes is no part of what the operator sees.
  // The line's text at that moment shows whether it was reported before its completion.
  void CopyProgress(int index, std::uint64_t done, std::uint64_t total) override {
    copyReports.push_back({index, done, total, lines.at(static_cast<size_t>(index))});
  }
  // Kept apart from `calls` too: a warning is no line of the list.
  void Warning(const std::wstring& text) override { warnings.push_back(text); }
  void SetBusy(bool value) override {
    calls.push_back(value ? L"SetBusy true" : L"SetBusy false");
    busy = value;
  }

  struct CopyReport {
    int index;
    std::uint64_t done;
    std::uint64_t total;
    std::wstring lineText;
  };

  std::vector<std::wstring> lines;
  std::vector<CopyReport> copyReports;
  std::vector<std::wstring> calls;
  std::vector<std::wstring> errors;
  std::vector<std::wstring> warnings;
  std::vector<std::wstring> questions;
  std::deque<bool> answers;  // answers to the next questions; "No" once they run out
  bool busy = false;
};

}  // namespace engine::testing
