#pragma once
// The complex's shared text log: every message becomes one time-stamped line at the top of the
// main log file (and of the additional log file while one is set), each file keeping its newest
// LogMaxSize lines, and an information entry in the application event log. AddMessage may be
// called from any thread.
#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "os/FileSystem.h"
#include "os/Locale.h"

namespace vr {

// The buffer AddByteArray dumps. Its type fixes the size, so a shorter buffer cannot be passed:
// every one of its bytes is dumped, whatever part of it the caller filled.
using TByteArray = std::array<std::uint8_t, 32768>;

class TMyLog {
 public:
  // The main log is programDir + "Quelvix.log" (programDir ends in "\"); an existing file's
  // lines are loaded. The seam parts must outlive the log. Throws OperatorError when the file
  // exists but cannot be read.
  TMyLog(const std::wstring& programDir, os::IFileSystem& fs, os::ILocale& locale,
         os::IEventLog& eventLog);
  TMyLog(const TMyLog&) = delete;
  TMyLog& operator=(const TMyLog&) = delete;

  // Switches the main log to another file: the lines held for the old one are dropped (they are
  // on disk), the new file's lines loaded. Not under Lock: switch before logging starts.
  void SetLogFileName(const std::wstring& value);
  // Switches the additional log on, to another file, or off (empty value). Not under Lock.
  void SetAddLogFileName(const std::wstring& value);

  // Puts "time stamp: Message" at the top of the main log (unless OnlyAddLogfile) and of the
  // additional log, rewrites each file in full, then reports ": " + Message to the event log.
  // A file that cannot be written raises OperatorError once Lock has been left; the line stays
  // in the list and no event is reported for it.
  void AddMessage(const std::wstring& Message, bool OnlyAddLogfile = false);
  // Logs Message followed by all 32768 bytes of BA as upper-case hexadecimal pairs, each
  // followed by a blank.
  void AddByteArray(const std::wstring& Message, const TByteArray& BA);

  std::mutex Lock;  // serialises AddMessage
  std::wstring LogFileName;
  std::wstring AddLogFilename;  // empty: no additional log
  int LogMaxSize = 1000;
  std::deque<std::wstring> List;     // the main log's lines, newest first
  std::deque<std::wstring> AddList;  // the additional log's lines, newest first

 private:
  // How a log file was read, and so how it is written back.
  enum class TextEncoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

  void TrimLog();
  void TrimAddLog();
  std::wstring BuildLine(const std::wstring& message);
  void LoadLines(const std::wstring& path, std::deque<std::wstring>& lines, TextEncoding& encoding);
  void SaveLines(const std::wstring& path, const std::deque<std::wstring>& lines,
                 TextEncoding encoding);

  os::IFileSystem& fs_;
  os::ILocale& locale_;
  os::IEventLog& eventLog_;
  TextEncoding listEncoding_ = TextEncoding::kAnsi;
  TextEncoding addListEncoding_ = TextEncoding::kAnsi;
};

// The program-wide log: created by InitializeMyLog once ProgramDir is known, freed by
// FinalizeMyLog; null outside that span.
extern TMyLog* MyLog;

// Creates MyLog on programDir + "Quelvix.log" (replacing an earlier instance). The seam parts
// must stay alive until FinalizeMyLog. Throws OperatorError when an existing log file cannot be
// read; MyLog then stays as it was.
void InitializeMyLog(const std::wstring& programDir, os::IFileSystem& fs, os::ILocale& locale,
                     os::IEventLog& eventLog);
void FinalizeMyLog();

}  // namespace vr
