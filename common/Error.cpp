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

std::wstring CurrentErrorText(const OperatorError** caught) {
  try {
    throw;
  } catch (const OperatorError& e) {
    if (caught != nullptr) {
      *caught = &e;  // the exception lives on in the caller's catch block
    }
    return e.Message();
  } catch (const std::exception& e) {
    return text::FromUtf8(e.what());
  } catch (...) {
    return L"Неизвестная ошибка";
  }
}
