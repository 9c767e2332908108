#include "os/testing/FakeFonts.h"

#include <cstring>

#include "os/testing/MemoryFileSystem.h"
#include "os/testing/SeamCalls.h"

namespace os::testing {

void FakeFonts::SetTitle(const std::wstring& path, std::wstring title) {
  titles_[FoldCase(path)] = std::move(title);
}

int FakeFonts::AddFontFile(const std::wstring& path) {
  SeamCalls::Count();
  calls_.push_back(L"Add " + path);
  if (titles_.count(FoldCase(path)) == 0) {
    return 0;
  }
  ++loaded_[FoldCase(path)];
  return 1;
}

bool FakeFonts::RemoveFontFile(const std::wstring& path) {
  SeamCalls::Count();
  calls_.push_back(L"Remove " + path);
  const auto found = loaded_.find(FoldCase(path));
  if (found == loaded_.end() || found->second == 0) {
    return false;
  }
  --found->second;
  return true;
}

void FakeFonts::BroadcastFontChange() {
  SeamCalls::Count();
  calls_.push_back(L"Broadcast");
}

bool FakeFonts::HasFontResourceInfo() {
  SeamCalls::Count();
  calls_.push_back(L"HasInfo");
  return infoAvailable_;
}

bool FakeFonts::FontResourceInfo(const std::wstring& path, std::uint32_t& size, void* buffer,
                                 std::uint32_t type) {
  SeamCalls::Count();
  calls_.push_back(L"Info " + path + L" " + std::to_wstring(size) +
                   (buffer == nullptr ? L" null" : L" buffer"));
  if (!infoAvailable_ || type != fontinfo::kDescription) {
    return false;
  }
  if (scriptedSize_) {
    if (buffer != nullptr) {
      return false;
    }
    size = *scriptedSize_;
    return true;
  }
  const auto found = titles_.find(FoldCase(path));
  if (found == titles_.end()) {
    return false;
  }
  // The title with its zero, as UTF-16 code units (the tests' titles lie in the basic plane).
  std::u16string units(found->second.begin(), found->second.end());
  units.push_back(u'\0');
  const auto bytes = static_cast<std::uint32_t>(units.size() * sizeof(char16_t));
  if (buffer == nullptr) {
    size = bytes;
    return true;
  }
  if (size < bytes) {
    return false;
  }
  std::memcpy(buffer, units.data(), bytes);
  size = bytes;
  return true;
}

int FakeFonts::Loaded(const std::wstring& path) const {
  const auto found = loaded_.find(FoldCase(path));
  return found == loaded_.end() ? 0 : found->second;
}

}  // namespace os::testing
