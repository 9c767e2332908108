#pragma once
// A Windows settings (INI) file held in memory and written back whole, for the settings files the
// installer writes ("virelta.ini", "btooth.ini"). An existing file is read in first, so every
// section and key it holds survives the rewrite, in its order.
//
// What is kept: sections in file order, each with its header line as written; in a section
// every line as written (keys, comments, lines without "=", blank lines between keys); lines
// before the first section, as they stand. A section of a name that occurs twice stays twice;
// only the first one is read and changed, as Windows reads only the first. What is normalised:
// lines end with CR LF, and each section ends with exactly one empty line (the blank lines that
// stood at a section's end are replaced by it).
//
// Sections and keys are found without letter case, as Windows finds them.
//
// Encoding: a file that starts with the UTF-16 LE byte-order mark (FF FE) is read and written
// back in UTF-16 LE with that mark; one that starts with the UTF-8 mark (EF BB BF) stays UTF-8
// with the mark; everything else is text in the system's ANSI code page, which is what Windows'
// profile functions read. A new file is ANSI. An ANSI file that would get characters its code page
// lacks (they would turn into "?") is written in UTF-16 LE instead, which the profile functions
// read as well: nothing written is lost.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/FileSystem.h"
#include "os/Locale.h"

namespace engine {

class SettingsFile {
 public:
  enum class Encoding { kAnsi, kUtf16Le, kUtf8 };

  // Reads the file when it exists; a missing file (or folder) gives an empty one. Raises
  // OperatorError "Cannot open file "<full path>". <system text>" when the file exists but
  // cannot be read: rewriting it from nothing would lose its content.
  SettingsFile(os::IFileSystem& fs, os::ILocale& locale, std::wstring fileName);

  // The value of the first such key in the first such section, blanks around it dropped;
  // `defaultValue` when either is missing.
  std::wstring ReadString(std::wstring_view section, std::wstring_view key,
                          std::wstring_view defaultValue) const;

  // Sets the first such key of the first such section, or adds the key at the section's end, or
  // the section at the file's end. The line becomes key=value with the key as given here.
  void WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value);
  // The value as decimal text ("-12", "0"), the same whatever the user's regional settings.
  void WriteInteger(std::wstring_view section, std::wstring_view key, std::int32_t value);

  // The whole file as it will be written, before encoding.
  std::wstring Text() const;
  Encoding FileEncoding() const { return encoding_; }

  // Writes the whole file, replacing what was there in one step (os::ReplaceFileContent). Raises
  // OperatorError "Cannot create file "<full path>". <system text>" when the file cannot be
  // written; it then keeps its old content.
  void UpdateFile();

 private:
  struct Entry {
    std::wstring line;  // as read, or key=value when set here
    bool isKey = false;
    std::wstring key;  // the text before the first "=", blanks dropped
  };
  struct Section {
    std::wstring header;  // the "[name]" line as read
    std::wstring name;    // blanks dropped
    std::vector<Entry> entries;
  };

  void Parse(const std::wstring& text);
  Section* FindSection(std::wstring_view name);
  const Section* FindSection(std::wstring_view name) const;

  os::IFileSystem& fs_;
  os::ILocale& locale_;
  std::wstring fileName_;
  Encoding encoding_ = Encoding::kAnsi;
  std::vector<std::wstring> preamble_;  // lines before the first section
  std::vector<Section> sections_;
};

}  // namespace engine
