#include "os/testing/FakeSystem.h"

#include <charconv>
#include <stdexcept>

#include "os/testing/SeamCalls.h"

namespace os::testing {
namespace {

// Decimal digits of a number, independent of any locale.
std::wstring Decimal(std::uint64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof(digits), value).ptr;
  return std::wstring(digits, end);
}

}  // namespace

std::optional<std::wstring> FakeSystem::WindowsDirectory() {
  SeamCalls::Count();
  calls_.push_back(L"WindowsDirectory");
  return windows_;
}

std::wstring FakeSystem::ModuleFileName() {
  SeamCalls::Count();
  calls_.push_back(L"ModuleFileName");
  return moduleFileName_;
}

std::uintptr_t FakeSystem::ModuleHandle() {
  SeamCalls::Count();
  calls_.push_back(L"ModuleHandle");
  return kModuleHandle;
}

std::wstring FakeSystem::LoadResourceString(std::uintptr_t instance, unsigned id, int bufferSize) {
  SeamCalls::Count();
  calls_.push_back(L"LoadResourceString " + Decimal(instance) + L" " + Decimal(id) + L" " +
                   Decimal(static_cast<std::uint64_t>(bufferSize < 0 ? 0 : bufferSize)));
  if (bufferSize < 1) {
    throw std::invalid_argument("LoadResourceString needs a buffer of at least one character");
  }
  const auto found = strings_.find({instance, id});
  if (found == strings_.end()) {
    return {};
  }
  return found->second.substr(0, static_cast<std::size_t>(bufferSize) - 1);
}

bool FakeSystem::IsNtPlatform() {
  SeamCalls::Count();
  calls_.push_back(L"IsNtPlatform");
  return nt_;
}

bool FakeSystem::EnablePrivilege(const std::wstring& name) {
  SeamCalls::Count();
  calls_.push_back(L"EnablePrivilege " + name);
  return privilegeResult_;
}

bool FakeSystem::RequestExitWindows(std::uint32_t flags, std::uint32_t reason) {
  SeamCalls::Count();
  calls_.push_back(L"RequestExitWindows " + Decimal(flags) + L" " + Decimal(reason));
  return exitResult_;
}

}  // namespace os::testing
