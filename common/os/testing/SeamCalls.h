#pragma once
// Every call into a double of the seam passes through Count(), so that a test can stop a run at
// any one of them: a watcher sees each call's number (from 1) before the call takes effect, as a
// power failure would come between two calls of a program. Calls made while no watcher is set
// are not numbered. One thread.
#include <cstdint>
#include <functional>

namespace os::testing {

class SeamCalls {
 public:
  using Watcher = std::function<void(std::uint64_t call)>;

  // Sets `watcher` for its lifetime and numbers calls from 1.
  class Watch {
   public:
    explicit Watch(Watcher watcher);
    ~Watch();
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    // The calls numbered so far.
    std::uint64_t Calls() const;
  };

  // Called first thing by every seam operation of a double.
  static void Count();
};

}  // namespace os::testing
