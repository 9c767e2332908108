#include "Error.h"

#include "text/Utf.h"

OperatorError::OperatorError(std::wstring message)
    : message_(std::move(message)), utf8_(text::ToUtf8(message_)) {}
