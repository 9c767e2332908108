#include "Error.h"

#include "text/Utf.h"

OperatorError::OperatorError(std::wstring message)
    : message_(std::move(message)), utf8_(text::ToUtf8(message_)) {}

OperatorError::OperatorError(std::wstring message, std::wstring causePath, std::uint32_t causeCode)
    : message_(std::move(message)),
      utf8_(text::ToUtf8(message_)),
      causePath_(std::move(causePath)),
      causeCode_(causeCode) {}

std::wstring WithClosingFullStop(const std::wstring& message) {
  if (message.empty() || message.back() > L'.') {
    return message + L'.';
  }
  return message;
}
