#include "engine/SettingsFile.h"

#include <algorithm>

#include "Error.h"
#include "os/FileContent.h"
#include "os/FileReplace.h"
#include "text/NameCase.h"
#include "text/Utf.h"

namespace engine {
namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::wstring_view TrimBlanks(std::wstring_view text) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  while (!text.empty() && blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && blank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
           return text::FoldNameCase(x) == text::FoldNameCase(y);
         });
}

// UTF-16 code units to the program's wide strings; where wchar_t holds 32 bits, surrogate pairs
// become one character and a lone surrogate stays the unit it was, so it is written back as read.
std::wstring FromUtf16Le(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if constexpr (sizeof(wchar_t) > 2) {
      if (unit >= 0xDC00 && unit <= 0xDFFF && !text.empty()) {
        const auto high = static_cast<std::uint32_t>(text.back());
        if (high >= 0xD800 && high <= 0xDBFF) {
          text.back() = static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
          continue;
        }
      }
    }
    text.push_back(static_cast<wchar_t>(unit));
  }
  return text;
}

std::string ToUtf16Le(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  const auto put = [&bytes](std::uint32_t unit) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
  };
  for (const wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code > 0xFFFF) {
      put(0xD800 + ((code - 0x10000) >> 10));
      put(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      put(code);
    }
  }
  return bytes;
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == L'\r' && start < text.size() && text[start] == L'\n') {
      ++start;
    }
  }
  return lines;
}

// The whole file; false with the file missing, raises when it is there but cannot be read.
bool ReadWholeFile(os::IFileSystem& fs, const std::wstring& path, std::string& bytes) {
  const os::ErrorCode error = os::ReadFileContent(fs, path, bytes);
  if (error == os::error::kFileNotFound || error == os::error::kPathNotFound) {
    return false;
  }
  if (error != os::error::kSuccess) {
    os::RaiseFileError(fs, L"Cannot open file", path, error);
  }
  return true;
}

}  // namespace

SettingsFile::SettingsFile(os::IFileSystem& fs, os::ILocale& locale, std::wstring fileName)
    : fs_(fs), locale_(locale), fileName_(std::move(fileName)) {
  std::string bytes;
  if (!ReadWholeFile(fs_, fileName_, bytes)) {
    return;
  }
  const std::string_view view = bytes;
  if (view.starts_with(kUtf16LeMark)) {
    encoding_ = Encoding::kUtf16Le;
    Parse(FromUtf16Le(view.substr(kUtf16LeMark.size())));
  } else if (view.starts_with(kUtf8Mark)) {
    encoding_ = Encoding::kUtf8;
    Parse(text::FromUtf8(view.substr(kUtf8Mark.size())));
  } else {
    Parse(locale_.FromAnsi(view));
  }
}

void SettingsFile::Parse(const std::wstring& text) {
  for (std::wstring& line : SplitLines(text)) {
    const std::wstring_view trimmed = TrimBlanks(line);
    const size_t close = trimmed.rfind(L']');
    if (trimmed.starts_with(L'[') && close != std::wstring_view::npos) {
      Section section;
      section.name = TrimBlanks(trimmed.substr(1, close - 1));
      section.header = std::move(line);
      sections_.push_back(std::move(section));
      continue;
    }
    if (sections_.empty()) {
      preamble_.push_back(std::move(line));
      continue;
    }
    Entry entry;
    const size_t equals = line.find(L'=');
    if (equals != std::wstring::npos) {
      entry.isKey = true;
      entry.key = TrimBlanks(std::wstring_view(line).substr(0, equals));
    }
    entry.line = std::move(line);
    sections_.back().entries.push_back(std::move(entry));
  }
  // The writer ends every section with one empty line of its own.
  for (Section& section : sections_) {
    while (!section.entries.empty() && !section.entries.back().isKey &&
           TrimBlanks(section.entries.back().line).empty()) {
      section.entries.pop_back();
    }
  }
}

SettingsFile::Section* SettingsFile::FindSection(std::wstring_view name) {
  const std::wstring_view wanted = TrimBlanks(name);
  for (Section& section : sections_) {
    if (SameName(section.name, wanted)) {
      return &section;
    }
  }
  return nullptr;
}

const SettingsFile::Section* SettingsFile::FindSection(std::wstring_view name) const {
  return const_cast<SettingsFile*>(this)->FindSection(name);
}

std::wstring SettingsFile::ReadString(std::wstring_view section, std::wstring_view key,
                                      std::wstring_view defaultValue) const {
  if (const Section* found = FindSection(section)) {
    const std::wstring_view wanted = TrimBlanks(key);
    for (const Entry& entry : found->entries) {
      if (entry.isKey && SameName(entry.key, wanted)) {
        return std::wstring(
            TrimBlanks(std::wstring_view(entry.line).substr(entry.line.find(L'=') + 1)));
      }
    }
  }
  return std::wstring(defaultValue);
}

void SettingsFile::WriteString(std::wstring_view section, std::wstring_view key,
                               std::wstring_view value) {
  Section* target = FindSection(section);
  if (target == nullptr) {
    Section added;
    added.name = section;
    added.header = L"[" + added.name + L"]";
    sections_.push_back(std::move(added));
    target = &sections_.back();
  }
  Entry entry;
  entry.isKey = true;
  entry.key = key;
  entry.line = entry.key + L"=" + std::wstring(value);
  for (Entry& existing : target->entries) {
    if (existing.isKey && SameName(existing.key, TrimBlanks(key))) {
      existing = std::move(entry);
      return;
    }
  }
  target->entries.push_back(std::move(entry));
}

void SettingsFile::WriteInteger(std::wstring_view section, std::wstring_view key,
                                std::int32_t value) {
  // Digits by hand: nothing of the C or C++ locale takes part.
  std::wstring digits;
  std::int64_t rest = value;
  const bool negative = rest < 0;
  if (negative) {
    rest = -rest;
  }
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + rest % 10));
    rest /= 10;
  } while (rest != 0);
  if (negative) {
    digits.insert(digits.begin(), L'-');
  }
  WriteString(section, key, digits);
}

std::wstring SettingsFile::Text() const {
  std::wstring text;
  for (const std::wstring& line : preamble_) {
    text += line + L"\r\n";
  }
  for (const Section& section : sections_) {
    text += section.header + L"\r\n";
    for (const Entry& entry : section.entries) {
      text += entry.line + L"\r\n";
    }
    text += L"\r\n";
  }
  return text;
}

void SettingsFile::UpdateFile() {
  const std::wstring text = Text();
  std::string bytes;
  if (encoding_ == Encoding::kAnsi) {
    const std::optional<std::string> ansi = locale_.ToAnsi(text);
    if (ansi && locale_.FromAnsi(*ansi) == text) {
      bytes = *ansi;
    } else {
      encoding_ = Encoding::kUtf16Le;  // the code page lacks some character
    }
  }
  if (encoding_ == Encoding::kUtf16Le) {
    bytes = std::string(kUtf16LeMark) + ToUtf16Le(text);
  } else if (encoding_ == Encoding::kUtf8) {
    bytes = std::string(kUtf8Mark) + text::ToUtf8(text);
  }

  // Never left empty or half-written: the old content stays until the new is complete.
  // An error names the file it concerns: the settings file or its temporary file.
  os::ReplaceFailure failure;
  if (const os::ErrorCode error = os::ReplaceFileContent(fs_, fileName_, bytes, &failure);
      error != os::error::kSuccess) {
    os::RaiseFileError(fs_, L"Cannot create file", failure.path, error);
  }
}

}  // namespace engine
