// The information pane: the maker's contact information, a rich-text document of the program's
// own resources.
#include "Main.h"

#include <richedit.h>

#include <algorithm>

#include "MainBackground.h"

namespace wizard {

void TFMain::LoadInformationDocument() {
  const std::string document = MainBackground::InformationDocument();
  struct Reader {
    const std::string* bytes;
    size_t offset;
  } reader{&document, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&reader);
  stream.pfnCallback = [](DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) WINAPI -> DWORD {
    auto* r = reinterpret_cast<Reader*>(cookie);
    const size_t left = r->bytes->size() - r->offset;
    const size_t count = std::min(left, static_cast<size_t>(size));
    std::copy_n(r->bytes->data() + r->offset, count, buffer);
    r->offset += count;
    *read = static_cast<LONG>(count);
    return 0;
  };
  ::SendMessageW(RichEdit1.Handle(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

}  // namespace wizard
