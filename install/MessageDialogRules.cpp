#include "MessageDialogRules.h"

#include "Error.h"

namespace wizard {

std::wstring ErrorBoxText(const std::wstring& message) {
  return WithClosingFullStop(message);
}

}  // namespace wizard
