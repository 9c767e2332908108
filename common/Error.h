#pragma once
// An unexpected failure that ends the operation in progress and reaches the operator as a message
// box with its text. Expected failures are results (a boolean, -1, an empty string), not this.
#include <cstdint>
#include <exception>
#include <string>

class OperatorError : public std::exception {
 public:
  explicit OperatorError(std::wstring message);
  // With the system error behind it and the path it concerns, for a report that says why (the
  // console installer's); the message itself stays as the operator's box shows it.
  OperatorError(std::wstring message, std::wstring causePath, std::uint32_t causeCode);

  const std::wstring& Message() const noexcept { return message_; }
  bool HasCause() const noexcept { return causeCode_ != 0; }
  const std::wstring& CausePath() const noexcept { return causePath_; }
  std::uint32_t CauseCode() const noexcept { return causeCode_; }
  // The message as UTF-8, for logs and console output.
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::wstring message_;
  std::string utf8_;
  std::wstring causePath_;
  std::uint32_t causeCode_ = 0;
};

// A raised error's text as the operator reads it: with a full stop appended unless it ends in
// one already or in a character of lower code (such as "!" or a blank). The console installer's
// messages and the wizard's top-level error box both show it so.
std::wstring WithClosingFullStop(const std::wstring& message);

// The message of the error passing through, for the report of a catch block that takes every
// error: an OperatorError's own, another exception's text, "Неизвестная ошибка" for anything
// else. Where an OperatorError passes, `caught` (if given) points at it while the catch block
// runs, for its cause.
std::wstring CurrentErrorText(const OperatorError** caught = nullptr);
