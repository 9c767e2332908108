#pragma once
// Small TrueType files made in a test: a table directory and a "name" table holding the records
// given, each string already encoded (UTF-16 big-endian for the Windows and Unicode platforms,
// single bytes for Macintosh Roman). Fields a test wants to spoil can be overwritten afterwards.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::testing {

struct NameRecord {
  std::uint16_t platform;
  std::uint16_t encoding;
  std::uint16_t language;
  std::uint16_t nameId;
  std::string bytes;
};

inline void PutU16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
  out.push_back(static_cast<char>(value & 0xFF));
}

inline void PutU32(std::string& out, std::uint32_t value) {
  PutU16(out, value >> 16);
  PutU16(out, value & 0xFFFF);
}

// UTF-16 big-endian of an ASCII or BMP text.
inline std::string Utf16Be(std::u16string_view text) {
  std::string out;
  for (const char16_t unit : text) {
    PutU16(out, unit);
  }
  return out;
}

inline NameRecord WindowsName(std::uint16_t nameId, std::u16string_view text,
                              std::uint16_t language = 0x0409) {
  return {3, 1, language, nameId, Utf16Be(text)};
}

inline NameRecord MacName(std::uint16_t nameId, std::string_view bytes) {
  return {1, 0, 0, nameId, std::string(bytes)};
}

// Offset of the "name" table in the files FontFile makes: the header and two table records.
inline constexpr std::uint32_t kNameTableOffset = 12 + 2 * 16;

// An sfnt with two tables: a 4-byte "head" placeholder after the "name" table, so that the
// reader must pick its table by tag.
inline std::string FontFile(const std::vector<NameRecord>& records) {
  std::string strings;
  std::string name;
  PutU16(name, 0);  // format
  PutU16(name, static_cast<std::uint32_t>(records.size()));
  PutU16(name, static_cast<std::uint32_t>(6 + 12 * records.size()));
  for (const NameRecord& r : records) {
    PutU16(name, r.platform);
    PutU16(name, r.encoding);
    PutU16(name, r.language);
    PutU16(name, r.nameId);
    PutU16(name, static_cast<std::uint32_t>(r.bytes.size()));
    PutU16(name, static_cast<std::uint32_t>(strings.size()));
    strings += r.bytes;
  }
  name += strings;

  std::string file;
  PutU32(file, 0x00010000);
  PutU16(file, 2);  // tables
  PutU16(file, 32);
  PutU16(file, 1);
  PutU16(file, 0);
  file += "head";
  PutU32(file, 0);
  PutU32(file, kNameTableOffset + static_cast<std::uint32_t>(name.size()));
  PutU32(file, 4);
  file += "name";
  PutU32(file, 0);
  PutU32(file, kNameTableOffset);
  PutU32(file, static_cast<std::uint32_t>(name.size()));
  return file + name + "HEAD";
}

}  // namespace engine::testing
