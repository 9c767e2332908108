// Start-up time of the setup wizard against two references, measured in one run: from the
// process's start to the main window's first painted frame.
//   startup_bench <Install.exe> [rounds]      (default 7 rounds; a Linux path means Wine's Z:)
// The references lie beside this program: bare_window.exe, a bare Win32 window program, and
// floor_window.exe, the floor: only what the wizard must do before its first frame. The rounds
// alternate between the three programs; each program's median and spread are printed, and the
// wizard's ratios to both (the goals: at most 1.5 to the bare window, at most 1.1 to the floor).
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
  int children;    // its child windows then
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

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
      elapsed = Timing{shown, Now() - start, 0};
      ::EnumChildWindows(search.found, CountChild, reinterpret_cast<LPARAM>(&elapsed->children));
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
      {L"floor", FolderOf(self) + L"floor_window.exe", L"VireltaFloorWindow"},
      {L"Install.exe", WindowsPath(argv[1]), L"TFMain"},
  };
  constexpr int kCount = 3;
  std::vector<double> times[kCount];
  for (int round = 0; round < rounds; ++round) {
    for (int i = 0; i < kCount; ++i) {
      const std::optional<Timing> elapsed = MeasureOnce(candidates[i]);
      if (!elapsed) {
        return 1;
      }
      times[i].push_back(elapsed->painted);
      std::wprintf(L"round %d  %-12ls shown %8.1f ms, painted %8.1f ms, %d child windows\n",
                   round + 1, candidates[i].name, elapsed->shown, elapsed->painted,
                   elapsed->children);
    }
  }
  double medians[kCount];
  double best[kCount];
  for (int i = 0; i < kCount; ++i) {
    medians[i] = Median(times[i]);
    const auto [low, high] = std::minmax_element(times[i].begin(), times[i].end());
    best[i] = *low;
    std::wprintf(L"%-12ls median %8.1f ms over %d rounds (%.1f to %.1f ms)\n", candidates[i].name,
                 medians[i], rounds, *low, *high);
  }
  // The best rounds are the least disturbed by other work on the machine.
  std::wprintf(L"ratio Install.exe / bare window: %.2f, best rounds %.2f (goal: at most 1.5)\n",
               medians[2] / medians[0], best[2] / best[0]);
  std::wprintf(L"ratio Install.exe / floor:       %.2f, best rounds %.2f (goal: at most 1.1)\n",
               medians[2] / medians[1], best[2] / best[1]);
  return 0;
}
