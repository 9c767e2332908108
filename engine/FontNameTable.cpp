#include "engine/FontNameTable.h"

#include <array>
#include <cstdint>
#include <optional>

namespace engine {
namespace {

constexpr std::uint32_t Tag(char a, char b, char c, char d) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d));
}

constexpr std::uint32_t kCollectionTag = Tag('t', 't', 'c', 'f');
constexpr std::uint32_t kNameTag = Tag('n', 'a', 'm', 'e');

constexpr std::uint16_t kFullName = 4;
constexpr std::uint16_t kFamily = 1;
constexpr std::uint16_t kSubfamily = 2;

constexpr std::uint16_t kPlatformUnicode = 0;
constexpr std::uint16_t kPlatformMacintosh = 1;
constexpr std::uint16_t kPlatformWindows = 3;
constexpr std::uint16_t kWindowsSymbol = 0;
constexpr std::uint16_t kWindowsUnicodeBmp = 1;
constexpr std::uint16_t kWindowsUnicodeFull = 10;
constexpr std::uint16_t kWindowsAmericanEnglish = 0x0409;
constexpr std::uint16_t kMacintoshRoman = 0;
constexpr std::uint16_t kMacintoshEnglish = 0;

// Macintosh Roman bytes 0x80 to 0xFF; the lower half is ASCII.
constexpr std::array<char16_t, 128> kMacRomanHigh = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// Big-endian reads that fail, instead of reading past the end, when the bytes are not there.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}

  std::optional<std::uint16_t> U16(std::uint64_t offset) const {
    if (!Has(offset, 2)) {
      return std::nullopt;
    }
    return static_cast<std::uint16_t>((Byte(offset) << 8) | Byte(offset + 1));
  }
  std::optional<std::uint32_t> U32(std::uint64_t offset) const {
    if (!Has(offset, 4)) {
      return std::nullopt;
    }
    return (static_cast<std::uint32_t>(Byte(offset)) << 24) |
           (static_cast<std::uint32_t>(Byte(offset + 1)) << 16) |
           (static_cast<std::uint32_t>(Byte(offset + 2)) << 8) | Byte(offset + 3);
  }
  // The part [offset, offset + length); nothing when it reaches past the end.
  std::optional<Bytes> Part(std::uint64_t offset, std::uint64_t length) const {
    if (!Has(offset, length)) {
      return std::nullopt;
    }
    return Bytes(data_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)));
  }
  std::string_view View() const { return data_; }

 private:
  // Offsets and lengths come from the file as 32-bit values; in 64 bits their sum cannot wrap.
  bool Has(std::uint64_t offset, std::uint64_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }
  std::uint32_t Byte(std::uint64_t offset) const {
    return static_cast<unsigned char>(data_[static_cast<std::size_t>(offset)]);
  }

  std::string_view data_;
};

void AppendCodePoint(std::wstring& out, std::uint32_t code) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (code > 0xFFFF) {
      code -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(code));
}

// UTF-16 big-endian; a lone surrogate is dropped, an odd last byte ignored.
std::wstring DecodeUtf16Be(std::string_view bytes) {
  std::wstring out;
  const auto unitAt = [&](std::size_t i) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 8) |
           static_cast<unsigned char>(bytes[i + 1]);
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const std::uint32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const std::uint32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (unit < 0xD800 || unit > 0xDFFF) {
      AppendCodePoint(out, unit);
    }
  }
  return out;
}

std::wstring DecodeMacRoman(std::string_view bytes) {
  std::wstring out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out.push_back(b < 0x80 ? static_cast<wchar_t>(b)
                           : static_cast<wchar_t>(kMacRomanHigh[b - 0x80]));
  }
  return out;
}

// Without control characters, blanks trimmed, at most kMaxFontTitleLength characters.
std::wstring Clean(const std::wstring& text) {
  std::wstring out;
  for (const wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code >= 0x20 && !(code >= 0x7F && code < 0xA0)) {
      out.push_back(c);
    }
  }
  const auto first = out.find_first_not_of(L' ');
  if (first == std::wstring::npos) {
    return {};
  }
  out = out.substr(first, out.find_last_not_of(L' ') - first + 1);
  if (out.size() > kMaxFontTitleLength) {
    out.resize(kMaxFontTitleLength);
    if constexpr (sizeof(wchar_t) == 2) {
      if (out.back() >= 0xD800 && out.back() <= 0xDBFF) {
        out.pop_back();  // half a pair
      }
    }
  }
  return out;
}

// How much a record's language and encoding are wanted; nothing for one that cannot be read.
std::optional<int> Rank(std::uint16_t platform, std::uint16_t encoding, std::uint16_t language) {
  // Symbol fonts name themselves in the same UTF-16 under their own encoding.
  if (platform == kPlatformWindows &&
      (encoding == kWindowsSymbol || encoding == kWindowsUnicodeBmp ||
       encoding == kWindowsUnicodeFull)) {
    return language == kWindowsAmericanEnglish ? 0 : 1;
  }
  if (platform == kPlatformUnicode) {
    return 2;
  }
  if (platform == kPlatformMacintosh && encoding == kMacintoshRoman) {
    return language == kMacintoshEnglish ? 3 : 4;
  }
  return std::nullopt;
}

// The "name" table of the font at `fontOffset`.
std::optional<Bytes> NameTable(const Bytes& file, std::uint64_t fontOffset) {
  const auto tableCount = file.U16(fontOffset + 4);
  if (!tableCount) {
    return std::nullopt;
  }
  for (std::uint32_t i = 0; i < *tableCount; ++i) {
    const std::uint64_t record = fontOffset + 12 + 16ull * i;
    const auto tag = file.U32(record);
    const auto offset = file.U32(record + 8);
    const auto length = file.U32(record + 12);
    if (!tag || !offset || !length) {
      return std::nullopt;
    }
    if (*tag == kNameTag) {
      return file.Part(*offset, *length);
    }
  }
  return std::nullopt;
}

// The best readable record of name `nameId`, cleaned; empty when there is none.
std::wstring FindName(const Bytes& table, std::uint16_t nameId) {
  const auto count = table.U16(2);
  const auto storage = table.U16(4);
  if (!count || !storage) {
    return {};
  }
  std::wstring best;
  int bestRank = 99;
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::uint64_t record = 6 + 12ull * i;
    const auto platform = table.U16(record);
    const auto encoding = table.U16(record + 2);
    const auto language = table.U16(record + 4);
    const auto id = table.U16(record + 6);
    const auto length = table.U16(record + 8);
    const auto offset = table.U16(record + 10);
    if (!platform || !encoding || !language || !id || !length || !offset) {
      break;  // the records end with the table
    }
    if (*id != nameId) {
      continue;
    }
    const auto rank = Rank(*platform, *encoding, *language);
    if (!rank || *rank >= bestRank) {
      continue;
    }
    const auto text = table.Part(std::uint64_t{*storage} + *offset, *length);
    if (!text) {
      continue;
    }
    std::wstring name = Clean(*platform == kPlatformMacintosh ? DecodeMacRoman(text->View())
                                                              : DecodeUtf16Be(text->View()));
    if (!name.empty()) {
      best = std::move(name);
      bestRank = *rank;
    }
  }
  return best;
}

}  // namespace

std::wstring FontTitleFromNameTable(std::string_view data) {
  const Bytes file(data);
  const auto version = file.U32(0);
  if (!version) {
    return {};
  }
  std::uint64_t fontOffset = 0;
  if (*version == kCollectionTag) {
    const auto fonts = file.U32(8);
    const auto first = file.U32(12);
    if (!fonts || *fonts == 0 || !first) {
      return {};
    }
    fontOffset = *first;
  }
  const auto table = NameTable(file, fontOffset);
  if (!table) {
    return {};
  }
  if (std::wstring full = FindName(*table, kFullName); !full.empty()) {
    return full;
  }
  std::wstring family = FindName(*table, kFamily);
  if (family.empty()) {
    return {};
  }
  const std::wstring subfamily = FindName(*table, kSubfamily);
  if (!subfamily.empty()) {
    family += L" " + subfamily;
  }
  return Clean(family);
}

}  // namespace engine
