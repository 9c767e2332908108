#pragma once
// Reading log lines back in the tests of the log: the file split at CR LF, and the time stamp at
// the start of a line taken apart with the separators it was written with.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace logtest {

// Day, month, year, hour, minute, second; compared in time order by Key().
struct Stamp {
  int day = 0;
  int month = 0;
  int year = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;

  std::array<int, 6> Key() const { return {year, month, day, hour, minute, second}; }
};

// The parts of a file between CR LF pairs. A file that does not end in CR LF gives nothing, so a
// check on the lines fails.
template <typename String>
std::optional<std::vector<String>> SplitCrLf(const String& content) {
  using Char = typename String::value_type;
  const Char crlf[] = {Char('\r'), Char('\n'), Char(0)};
  std::vector<String> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find(crlf, start);
    if (end == String::npos) {
      return std::nullopt;
    }
    lines.push_back(content.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// A line "DD<d>MM<d>YYYY HH<t>NN<t>SS: text": the stamp, with `text` set to what follows ": ".
// Nothing when the line has another form (a bare CR or LF inside it included).
inline std::optional<Stamp> ParseLine(const std::wstring& line, const std::wstring& dateSeparator,
                                      const std::wstring& timeSeparator, std::wstring& text) {
  std::size_t at = 0;
  const auto number = [&](int digits, int& value) {
    value = 0;
    for (int i = 0; i < digits; ++i, ++at) {
      if (at >= line.size() || line[at] < L'0' || line[at] > L'9') {
        return false;
      }
      value = value * 10 + (line[at] - L'0');
    }
    return true;
  };
  const auto literal = [&](std::wstring_view expected) {
    if (line.compare(at, expected.size(), expected) != 0) {
      return false;
    }
    at += expected.size();
    return true;
  };
  Stamp s;
  if (!(number(2, s.day) && literal(dateSeparator) && number(2, s.month) &&
        literal(dateSeparator) && number(4, s.year) && literal(L" ") && number(2, s.hour) &&
        literal(timeSeparator) && number(2, s.minute) && literal(timeSeparator) &&
        number(2, s.second) && literal(L": "))) {
    return std::nullopt;
  }
  if (s.day < 1 || s.day > 31 || s.month < 1 || s.month > 12 || s.hour > 23 || s.minute > 59 ||
      s.second > 59) {
    return std::nullopt;
  }
  text = line.substr(at);
  if (text.find_first_of(L"\r\n") != std::wstring::npos) {
    return std::nullopt;
  }
  return s;
}

// Starts `threads` threads at once, each adding `messages` messages text(thread, message) to the
// log, and returns when all are in.
template <typename Log, typename Text>
void AddFromThreads(Log& log, int threads, int messages, const Text& text) {
  std::vector<std::thread> running;
  for (int t = 0; t < threads; ++t) {
    running.emplace_back([&, t] {
      for (int m = 0; m < messages; ++m) {
        log.AddMessage(text(t, m));
      }
    });
  }
  for (auto& thread : running) {
    thread.join();
  }
}

}  // namespace logtest
