#pragma once
// An unexpected failure that ends the operation in progress and reaches the operator as a message
// box with its text. Expected failures are results (a boolean, -1, an empty string), not this.
#include <exception>
#include <string>

class OperatorError : public std::exception {
 public:
  explicit OperatorError(std::wstring message);

  const std::wstring& Message() const noexcept { return message_; }
  // The message as UTF-8, for logs and console output.
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::wstring message_;
  std::string utf8_;
};
