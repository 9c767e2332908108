#include "os/testing/MemoryProfile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "os/testing/MemoryFileSystem.h"
#include "os/testing/ProfileForTests.h"
#include "os/testing/SeamCalls.h"
#include "text/Utf.h"

namespace os::testing {
namespace {

// Windows-1251 from 0x80 to 0xBF; 0xC0 to 0xFF are А to я in order. 0x98 is unassigned and
// comes through as U+0098, as MultiByteToWideChar gives it.
constexpr std::array<char16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

std::wstring FromCp1251(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += static_cast<wchar_t>(b);
    } else if (b < 0xC0) {
      out += static_cast<wchar_t>(kCp1251High[b - 0x80]);
    } else {
      out += static_cast<wchar_t>(0x0410 + (b - 0xC0));
    }
  }
  return out;
}

// UTF-16 code units to the platform's wide string: pairs joined where wchar_t holds 32 bits,
// lone surrogates replaced by U+FFFD. An odd last byte is dropped.
std::wstring FromUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto lo = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
    const auto hi = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]);
    return static_cast<char32_t>(lo | (hi << 8));
  };
  const std::size_t count = bytes.size() / 2;
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t u = unit(i);
    if constexpr (sizeof(wchar_t) == 2) {
      out += static_cast<wchar_t>(u);
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 &&
               unit(i + 1) <= 0xDFFF) {
      out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out += static_cast<wchar_t>(0xFFFD);
    } else {
      out += static_cast<wchar_t>(u);
    }
  }
  return out;
}

std::optional<std::string> ReadWholeFile(IFileSystem& fs, const std::wstring& path) {
  ErrorCode error = error::kSuccess;
  const auto file =
      fs.Open(path, Access::kRead, Share::kReadWrite, Disposition::kOpenExisting, error);
  if (!file) {
    return std::nullopt;
  }
  std::string bytes;
  std::array<char, 4096> chunk;
  for (;;) {
    std::uint32_t read = 0;
    if (file->Read(chunk.data(), static_cast<std::uint32_t>(chunk.size()), read) !=
        error::kSuccess) {
      return std::nullopt;
    }
    if (read == 0) {
      return bytes;
    }
    bytes.append(chunk.data(), read);
  }
}

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

std::wstring_view StripQuotes(std::wstring_view s) {
  if (s.size() >= 2 && (s.front() == L'"' || s.front() == L'\'') && s.back() == s.front()) {
    return s.substr(1, s.size() - 2);
  }
  return s;
}

std::wstring DefaultAnswer(std::wstring_view defaultValue) {
  while (!defaultValue.empty() && defaultValue.back() == L' ') {
    defaultValue.remove_suffix(1);
  }
  return std::wstring(StripQuotes(defaultValue));
}

}  // namespace

std::wstring DecodeProfileText(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    return FromUtf16(bytes.substr(2), false);
  }
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
    return FromUtf16(bytes.substr(2), true);
  }
  // Valid UTF-8 is exactly what survives the round trip (invalid bytes come back as U+FFFD).
  std::wstring utf8 = text::FromUtf8(bytes);
  if (text::ToUtf8(utf8) == bytes) {
    return utf8;
  }
  return FromCp1251(bytes);
}

std::wstring MemoryProfile::ReadString(const std::wstring& file, const std::wstring& section,
                                       const std::wstring& key, const std::wstring& defaultValue) {
  SeamCalls::Count();
  const auto bytes = ReadWholeFile(fs_, file);
  if (!bytes) {
    return DefaultAnswer(defaultValue);
  }
  const std::wstring content = DecodeProfileText(*bytes);
  const std::wstring wantedSection = FoldCase(Trim(section));
  const std::wstring wantedKey = FoldCase(Trim(key));

  bool inSection = wantedSection.empty();  // lines before the first section line
  std::size_t pos = 0;
  while (pos < content.size()) {
    const std::size_t end = content.find_first_of(L"\r\n", pos);
    const std::wstring_view line =
        Trim(std::wstring_view(content).substr(pos, end == std::wstring::npos ? end : end - pos));
    pos = end == std::wstring::npos ? content.size() : end + 1;
    if (line.empty()) {
      continue;
    }
    const std::size_t close = line.front() == L'[' ? line.find(L']') : std::wstring_view::npos;
    if (close != std::wstring_view::npos) {
      if (inSection) {
        break;  // only the first section of the name counts
      }
      inSection = FoldCase(Trim(line.substr(1, close - 1))) == wantedSection;
      continue;
    }
    if (!inSection) {
      continue;
    }
    const std::size_t equals = line.find(L'=');
    if (FoldCase(Trim(line.substr(0, equals))) != wantedKey) {
      continue;
    }
    if (equals == std::wstring_view::npos) {
      break;
    }
    return std::wstring(StripQuotes(Trim(line.substr(equals + 1))));
  }
  return DefaultAnswer(defaultValue);
}

#ifndef _WIN32
std::unique_ptr<IProfile> MakeTestProfile(TestEnvironment& env) {
  return std::make_unique<MemoryProfile>(env.Fs());
}
#endif

}  // namespace os::testing
