#pragma once
// The message of the OperatorError that a call raises, so a test can compare it whole.
#include <string>

#include "Error.h"

namespace engine::testing {

template <typename Call>
std::wstring RaisedMessage(Call call) {
  try {
    call();
  } catch (const OperatorError& e) {
    return e.Message();
  }
  return L"(nothing raised)";
}

}  // namespace engine::testing
