// Start-up time of the setup wizard against a bare Win32 window program, measured in one run:
// from the process's start to the main window's first painted frame.
//   startup_bench <Install.exe> [rounds]      (default 7 rounds; a Linux path means Wine's Z:)
// The bare program bare_window.exe lies beside this one. The rounds alternate between the two
// programs; each program's median is printed, and their ratio (the goal: at most 1.5).
//
// A frame counts as painted when the main window is shown and neither it nor any of its shown
// child windows has anything left to paint (an empty update region).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "os/win32/Handle.h"

namespace {

struct Candidate {
  const wchar_t* name;
  std::wstring program;
  const wchar_t* windowClass;
};

struct Search {
  DWORD processId;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK FindMain(HWND window, LPARAM state) {
  auto& search = *reinterpret_cast<Search*>(state);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (owner == search.processId && std::wcscmp(name, search.windowClass) == 0 &&
      ::IsWindowVisible(window)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM unpainted) {
  if (::IsWindowVisible(window) && ::GetUpdateRect(window, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(unpainted) = true;
    return FALSE;
  }
  return TRUE;
}

bool Painted(HWND window) {
  bool unpainted = ::GetUpdateRect(window, nullptr, FALSE) != FALSE;
  if (!unpainted) {
    ::EnumChildWindows(window, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
  }
  return !unpainted;
}

double Now() {
  LARGE_INTEGER count;
  LARGE_INTEGER frequency;
  ::QueryPerformanceCounter(&count);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
}

struct Timing {
  double shown;    // ms from the start until the main window was seen shown
  double painted;  // ms from the start until its first frame was painted
};

// Nothing when the program failed.
std::optional<Timing> MeasureOnce(const Candidate& candidate) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring commandLine = L"\"" + candidate.program + L"\"";
  PROCESS_INFORMATION info{};
  const double start = Now();
  if (!::CreateProcessW(candidate.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, FolderOf(candidate.program).c_str(), &startup, &info)) {
    std::fwprintf(stderr, L"cannot start %ls, error %lu\n", candidate.program.c_str(),
                  ::GetLastError());
    return std::nullopt;
  }
  const os::win32::KernelHandle process(info.hProcess);
  const os::win32::KernelHandle thread(info.hThread);
  std::optional<Timing> elapsed;
  double shown = 0;
  Search search{info.dwProcessId, candidate.windowClass, nullptr};
  while (Now() - start < 30000 && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) {
    if (search.found == nullptr) {
      ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&search));
      shown = Now() - start;
    }
    if (search.found != nullptr && Painted(search.found)) {
      elapsed = Timing{shown, Now() - start};
      break;
    }
    ::Sleep(1);
  }
  if (search.found != nullptr) {
    ::PostMessageW(search.found, WM_CLOSE, 0, 0);
  }
  if (::WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 1);
    ::WaitForSingleObject(process.Get(), 10000);
  }
  if (!elapsed) {
    std::fwprintf(stderr, L"%ls showed no painted window\n", candidate.name);
  }
  return elapsed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::wstring WindowsPath(std::wstring path) {
  if (!path.empty() && path.front() == L'/') {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    path.insert(0, L"Z:");
  }
  return path;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fwprintf(stderr, L"usage: startup_bench <Install.exe> [rounds]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 7;
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const Candidate candidates[] = {
      {L"bare window", FolderOf(self) + L"bare_window.exe", L"VireltaBareWindow"},
      {L"Install.exe", WindowsPath(argv[1]), L"TFMain"},
  };
  std::vector<double> times[2];
  for (int round = 0; round < rounds; ++round) {
    for (int i = 0; i < 2; ++i) {
      const std::optional<Timing> elapsed = MeasureOnce(candidates[i]);
      if (!elapsed) {
        return 1;
      }
      times[i].push_back(elapsed->painted);
      std::wprintf(L"round %d  %-12ls shown %8.1f ms, painted %8.1f ms\n", round + 1,
                   candidates[i].name, elapsed->shown, elapsed->painted);
    }
  }
  const double bare = Median(times[0]);
  const double wizard = Median(times[1]);
  std::wprintf(L"median over %d rounds: bare window %.1f ms, Install.exe %.1f ms\n", rounds, bare,
               wizard);
  std::wprintf(L"ratio Install.exe / bare window: %.2f (goal: at most 1.5)\n", wizard / bare);
  return 0;
}
