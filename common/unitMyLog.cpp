#include "unitMyLog.h"

#include <memory>
#include <string_view>

#include "Error.h"
#include "os/FileContent.h"
#include "os/FileReplace.h"
#include "text/Utf.h"

namespace vr {
namespace {

constexpr wchar_t kLogFileName[] = L"Quelvix.log";
constexpr wchar_t kEventSource[] = L"Virelta";
constexpr std::uint16_t kEventInformation = 4;  // EVENTLOG_INFORMATION_TYPE
constexpr int kDefaultMaxLines = 1000;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

std::unique_ptr<TMyLog> ownedLog;

// Digits only, so the user's locale has no say.
void AppendPadded(std::wstring& out, int value, int width) {
  wchar_t digits[12];
  int count = 0;
  unsigned rest = value < 0 ? 0u : static_cast<unsigned>(value);
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  for (int i = count; i < width; ++i) {
    out.push_back(L'0');
  }
  while (count > 0) {
    out.push_back(digits[--count]);
  }
}

// "DD/MM/YYYY HH:NN:SS" with the user's date separator for "/" and time separator for ":".
std::wstring TimeStamp(const os::LocalTime& t, const std::wstring& dateSeparator,
                       const std::wstring& timeSeparator) {
  std::wstring out;
  AppendPadded(out, t.day, 2);
  out += dateSeparator;
  AppendPadded(out, t.month, 2);
  out += dateSeparator;
  AppendPadded(out, t.year, 4);
  out.push_back(L' ');
  AppendPadded(out, t.hour, 2);
  out += timeSeparator;
  AppendPadded(out, t.minute, 2);
  out += timeSeparator;
  AppendPadded(out, t.second, 2);
  return out;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

bool IsHighSurrogate(std::uint32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// UTF-16 code units to wide characters: kept as they are where wchar_t is 16 bits (Windows),
// pairs joined where it holds a whole code point. Lone surrogates are kept, so that a file
// written back carries them unchanged; an odd last byte is dropped.
std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  const auto unitAt = [&](std::size_t i) -> std::uint32_t {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (std::uint32_t{b0} << 8) | b1 : (std::uint32_t{b1} << 8) | b0;
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const std::uint32_t unit = unitAt(i);
    if constexpr (sizeof(wchar_t) >= 4) {
      if (IsHighSurrogate(unit) && i + 3 < bytes.size() && IsLowSurrogate(unitAt(i + 2))) {
        out.push_back(
            static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00)));
        i += 2;
        continue;
      }
    }
    out.push_back(static_cast<wchar_t>(unit));
  }
  return out;
}

std::string EncodeUtf16(std::wstring_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  const auto put = [&](std::uint32_t unit) {
    const auto high = static_cast<char>((unit >> 8) & 0xFF);
    const auto low = static_cast<char>(unit & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
  };
  for (const wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code > 0xFFFF && code <= 0x10FFFF) {
      put(0xD800 + ((code - 0x10000) >> 10));
      put(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else if (code > 0x10FFFF) {
      put(0xFFFD);
    } else {
      put(code);
    }
  }
  return out;
}

// Lines end in CR LF, LF or CR; a last line without an end counts, an end after it adds none.
void SplitLines(const std::wstring& text, std::deque<std::wstring>& lines) {
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (c == L'\r' || c == L'\n') {
      lines.emplace_back(text, start, i - start);
      i += (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) {
    lines.emplace_back(text, start, std::wstring::npos);
  }
}

bool FileExists(os::IFileSystem& fs, const std::wstring& path) {
  const std::uint32_t attributes = fs.GetAttributes(path);
  return attributes != os::attr::kInvalid && (attributes & os::attr::kDirectory) == 0;
}

}  // namespace

TMyLog* MyLog = nullptr;

TMyLog::TMyLog(const std::wstring& programDir, os::IFileSystem& fs, os::ILocale& locale,
               os::IEventLog& eventLog)
    : LogFileName(programDir + kLogFileName),
      LogMaxSize(kDefaultMaxLines),
      fs_(fs),
      locale_(locale),
      eventLog_(eventLog) {
  LoadLines(LogFileName, List, listEncoding_);
}

void TMyLog::SetLogFileName(const std::wstring& value) {
  LogFileName = value;
  LogMaxSize = kDefaultMaxLines;
  List.clear();
  listEncoding_ = TextEncoding::kAnsi;
  LoadLines(LogFileName, List, listEncoding_);
}

void TMyLog::SetAddLogFileName(const std::wstring& value) {
  AddLogFilename = value;
  AddList.clear();
  addListEncoding_ = TextEncoding::kAnsi;
  if (!AddLogFilename.empty()) {
    LoadLines(AddLogFilename, AddList, addListEncoding_);
  }
}

void TMyLog::AddMessage(const std::wstring& Message, bool OnlyAddLogfile) {
  {
    // An error raised in here leaves the lock on its way out, before the caller sees it.
    const std::lock_guard guard(Lock);
    if (!OnlyAddLogfile) {
      List.push_front(BuildLine(Message));
      TrimLog();
      SaveLines(LogFileName, List, listEncoding_);
    }
    if (!AddLogFilename.empty()) {
      AddList.push_front(BuildLine(Message));  // the clock is read again
      TrimAddLog();
      SaveLines(AddLogFilename, AddList, addListEncoding_);
    }
  }
  // Outside the lock: the event log may be slow, and a failure there is not the caller's concern.
  eventLog_.Report(kEventSource, kEventInformation, 0, 0, {L": " + Message});
}

void TMyLog::AddByteArray(const std::wstring& Message, const TByteArray& BA) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text = Message;
  text.reserve(Message.size() + BA.size() * 3);
  for (const std::uint8_t b : BA) {
    text.push_back(kHex[b >> 4]);
    text.push_back(kHex[b & 0x0F]);
    text.push_back(L' ');
  }
  AddMessage(text, false);
}

void TMyLog::TrimLog() {
  while (List.size() > static_cast<std::size_t>(LogMaxSize < 0 ? 0 : LogMaxSize)) {
    List.pop_back();
  }
}

void TMyLog::TrimAddLog() {
  while (AddList.size() > static_cast<std::size_t>(LogMaxSize < 0 ? 0 : LogMaxSize)) {
    AddList.pop_back();
  }
}

std::wstring TMyLog::BuildLine(const std::wstring& message) {
  const os::LocalTime now = locale_.Now();
  return TimeStamp(now, locale_.DateSeparator(), locale_.TimeSeparator()) + L": " + message;
}

void TMyLog::LoadLines(const std::wstring& path, std::deque<std::wstring>& lines,
                       TextEncoding& encoding) {
  if (!FileExists(fs_, path)) {
    return;
  }
  std::string bytes;
  if (const os::ErrorCode error = os::ReadFileContent(fs_, path, bytes);
      error != os::error::kSuccess) {
    os::RaiseFileError(fs_, L"Cannot open file", path, error);
  }

  std::wstring text;
  const std::string_view view(bytes);
  if (StartsWith(view, kUtf8Bom)) {
    encoding = TextEncoding::kUtf8;
    text = text::FromUtf8(view.substr(kUtf8Bom.size()));
  } else if (StartsWith(view, kUtf16LeBom)) {
    encoding = TextEncoding::kUtf16Le;
    text = DecodeUtf16(view.substr(kUtf16LeBom.size()), false);
  } else if (StartsWith(view, kUtf16BeBom)) {
    encoding = TextEncoding::kUtf16Be;
    text = DecodeUtf16(view.substr(kUtf16BeBom.size()), true);
  } else {
    encoding = TextEncoding::kAnsi;
    text = locale_.FromAnsi(view);
  }
  SplitLines(text, lines);
}

void TMyLog::SaveLines(const std::wstring& path, const std::deque<std::wstring>& lines,
                       TextEncoding encoding) {
  std::wstring text;
  for (const auto& line : lines) {
    text += line;
    text += L"\r\n";
  }
  std::string bytes;
  switch (encoding) {
    case TextEncoding::kAnsi: {
      std::optional<std::string> ansi = locale_.ToAnsi(text);
      if (!ansi) {
        // An empty text in its place would empty the log.
        os::RaiseFileError(fs_, L"Cannot create file", path, os::error::kNoUnicodeTranslation);
      }
      bytes = std::move(*ansi);
      break;
    }
    case TextEncoding::kUtf8:
      bytes = std::string(kUtf8Bom) + text::ToUtf8(text);
      break;
    case TextEncoding::kUtf16Le:
      bytes = std::string(kUtf16LeBom) + EncodeUtf16(text, false);
      break;
    case TextEncoding::kUtf16Be:
      bytes = std::string(kUtf16BeBom) + EncodeUtf16(text, true);
      break;
  }

  // The old lines stay on disk until the new file is complete.
  if (const os::ErrorCode error = os::ReplaceFileContent(fs_, path, bytes);
      error != os::error::kSuccess) {
    os::RaiseFileError(fs_, L"Cannot create file", path, error);
  }
}

void InitializeMyLog(const std::wstring& programDir, os::IFileSystem& fs, os::ILocale& locale,
                     os::IEventLog& eventLog) {
  auto log = std::make_unique<TMyLog>(programDir, fs, locale, eventLog);
  ownedLog = std::move(log);
  MyLog = ownedLog.get();
}

void FinalizeMyLog() {
  MyLog = nullptr;
  ownedLog.reset();
}

}  // namespace vr
