#include "SharedUnits.h"

#include "VR_Common_ProcTexts.h"
#include "VR_Common_Var.h"
#include "unitMyLog.h"

namespace vr {

SharedUnits::SharedUnits(os::Platform& platform) {
  InitializeCommonVar(platform.system, platform.profile);
  try {
    InitializeMyLog(ProgramDir, platform.fs, platform.locale, platform.eventLog);
  } catch (...) {
    FinalizeCommonVar();
    throw;
  }
  try {
    InitializeLookupTexts(platform.profile, LanguageFile);
  } catch (...) {
    FinalizeMyLog();
    FinalizeCommonVar();
    throw;
  }
}

SharedUnits::~SharedUnits() {
  FinalizeLookupTexts();
  FinalizeMyLog();
  FinalizeCommonVar();
}

}  // namespace vr
