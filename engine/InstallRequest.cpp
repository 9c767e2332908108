#include "engine/InstallRequest.h"

namespace engine {

std::wstring TrimControlAndBlanks(const std::wstring& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned>(text[first]) <= 32) {
    ++first;
  }
  while (last > first && static_cast<unsigned>(text[last - 1]) <= 32) {
    --last;
  }
  return text.substr(first, last - first);
}

std::wstring FolderOfFile(const std::wstring& fileName) {
  const size_t separator = fileName.find_last_of(L"\\:");
  if (separator == std::wstring::npos) {
    return {};
  }
  std::wstring folder = fileName.substr(0, separator + 1);
  if (folder.back() == L':') {
    folder += L'\\';  // "E:Install.exe" names a file in the root of E:
  }
  return folder;
}

}  // namespace engine
