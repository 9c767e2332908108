#pragma once
// The double of the settings-file seam: reads the INI file through a file-system seam (natively
// a MemoryFileSystem) on every call and answers as GetPrivateProfileStringW does:
// - sections and keys compared without letter case (ASCII, Latin-1, Cyrillic, as file names);
//   blanks (spaces, tabs) around section names, keys and values dropped, in the file and in the
//   request;
// - one pair of matching quotes ("..." or '...') around a value dropped, blanks inside kept;
// - only the first section of a name is searched, and in it the first line of the key; a line
//   with the key but no "=" gives the default;
// - lines before the first section belong to the section "";
// - the file missing or unreadable, the section or the key missing: the default, with its
//   trailing spaces dropped and then a pair of quotes around it, as Wine does it (Windows
//   documents the spaces only);
// - lines end with CR, LF or both; no comment syntax (";x=1" is the key ";x").
// The text is decoded as Windows decodes it: UTF-16 after a byte-order mark FF FE (or FE FF);
// without one Windows takes the system's ANSI code page. As the code page of a native test is
// nobody's, bytes that form valid UTF-8 are read as UTF-8 and others as Windows-1251 (the code
// page of a Russian Windows). A UTF-8 byte-order mark is nothing special, as in an ANSI file: it
// decodes to U+FEFF before the first line's "[", which then is no section line (Wine, unlike
// this double, skips the mark).
#include <string>
#include <string_view>

#include "os/FileSystem.h"
#include "os/Profile.h"

namespace os::testing {

class MemoryProfile final : public IProfile {
 public:
  explicit MemoryProfile(IFileSystem& fs) : fs_(fs) {}

  std::wstring ReadString(const std::wstring& file, const std::wstring& section,
                          const std::wstring& key, const std::wstring& defaultValue) override;

 private:
  IFileSystem& fs_;
};

// The file's bytes as the profile functions read them (see above).
std::wstring DecodeProfileText(std::string_view bytes);

}  // namespace os::testing
