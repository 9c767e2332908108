#pragma once
// The start-up and release of the shared units, in their fixed order: the paths and settings
// (VR_Common_Var), then the log instance (unitMyLog, whose file lies in ProgramDir), then the
// lookup texts (which read LanguageFile). Released in reverse order. A program's entry point
// holds one SharedUnits for its whole run instead of relying on the order of static
// constructors across files.
#include "os/Platform.h"

namespace vr {

class SharedUnits {
 public:
  // Initialises the units in order. Should one raise (an existing log file that cannot be read),
  // those already initialised are released again before the error passes on.
  explicit SharedUnits(os::Platform& platform);
  SharedUnits(const SharedUnits&) = delete;
  SharedUnits& operator=(const SharedUnits&) = delete;
  ~SharedUnits();
};

}  // namespace vr
