// libFuzzer target for the reader of a font file's "name" table: whatever the bytes, it must
// read nothing outside them (AddressSanitizer), do nothing undefined (UBSan) and give a title
// that can be a registry value name: no control characters, no blank at either end, bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/FontNameTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring title =
      engine::FontTitleFromNameTable(std::string_view(reinterpret_cast<const char*>(data), size));
  if (title.size() > engine::kMaxFontTitleLength) {
    std::abort();
  }
  if (!title.empty() && (title.front() == L' ' || title.back() == L' ')) {
    std::abort();
  }
  for (const wchar_t c : title) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code < 0x20 || (code >= 0x7F && code < 0xA0) || code > 0x10FFFF) {
      std::abort();
    }
  }
  return 0;
}
