#include "os/testing/SeamCalls.h"

#include <stdexcept>
#include <utility>

namespace os::testing {
namespace {

SeamCalls::Watcher* watcher = nullptr;
std::uint64_t calls = 0;

}  // namespace

SeamCalls::Watch::Watch(Watcher w) {
  if (watcher != nullptr) {
    throw std::logic_error("seam calls are already watched");
  }
  watcher = new Watcher(std::move(w));
  calls = 0;
}

SeamCalls::Watch::~Watch() {
  delete watcher;
  watcher = nullptr;
}

std::uint64_t SeamCalls::Watch::Calls() const {
  return calls;
}

void SeamCalls::Count() {
  if (watcher != nullptr) {
    (*watcher)(++calls);
  }
}

}  // namespace os::testing
