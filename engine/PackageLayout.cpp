#include "engine/PackageLayout.h"

namespace engine::layout {

std::span<const std::wstring_view> ServerFiles(int windowsFamily) {
  if (windowsFamily == 0) {
    return kServerFilesFamily0;
  }
  return kServerFilesFamily1;
}

}  // namespace engine::layout
