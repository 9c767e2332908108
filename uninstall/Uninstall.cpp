// Uninstall.exe: removes the installed complex from the folder it lies in (or the folder given),
// keeping the clinic's data. Started from "Programs and Features" it shows what it will remove
// and keep and asks; with /quiet it asks nothing, shows nothing and ends with its exit code:
//   Uninstall.exe [/quiet] [folder]
// The rules are in Removal.cpp; this file is the window, the quiet run and the removal of the
// program's own file, which a running program cannot delete: a hidden command interpreter
// deletes it (and the then empty folder) as soon as the program has ended.
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "SharedUnits.h"
#include "engine/InstallerStrings.h"
#include "engine/resources/StringTableIds.h"
#include "kit/KitStartup.h"
#include "os/win32/ComApartment.h"
#include "os/win32/Handle.h"
#include "os/win32/Win32InstallationLock.h"
#include "os/win32/Win32Platform.h"
#include "text/Utf.h"
#include "uninstall/Removal.h"

namespace {

using std::wstring;
using uninstall::ExitCode;

constexpr int kText = 100;
constexpr int kRemove = IDOK;
constexpr int kCancel = IDCANCEL;

struct Arguments {
  bool quiet = false;
  wstring folder;  // empty: the program's own
};

Arguments ParseArguments() {
  Arguments arguments;
  int count = 0;
  LPWSTR* values = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 1; values != nullptr && i < count; ++i) {
    const wstring value = values[i];
    if (value == L"/quiet" || value == L"/QUIET" || value == L"--quiet" || value == L"/S") {
      arguments.quiet = true;
    } else {
      arguments.folder = value;
    }
  }
  ::LocalFree(values);
  return arguments;
}

wstring Joined(const std::vector<wstring>& lines) {
  wstring text;
  for (const wstring& line : lines) {
    text += line + L"\r\n";
  }
  return text;
}

// Lines for a caller that redirected the output (a deployment script); nothing otherwise.
void Report(const std::vector<wstring>& lines) {
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) {
    return;
  }
  const std::string bytes = text::ToUtf8(Joined(lines));
  DWORD written = 0;
  ::WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// A file's identity (volume and index): one file under two spellings of its path (a short name,
// another drive letter for the same folder) is one.
std::optional<std::tuple<DWORD, DWORD, DWORD>> FileIdentity(const wstring& path) {
  const os::win32::FileHandle file(
      ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !::GetFileInformationByHandle(file.Get(), &info)) {
    return std::nullopt;
  }
  return std::make_tuple(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
}

// The program's own file among those the plan removes (relative to its folder); empty when the
// program runs from elsewhere.
wstring SelfFile(const wstring& self, const uninstall::Plan& plan) {
  const auto identity = FileIdentity(self);
  if (!identity) {
    return L"";
  }
  for (const wstring& relative : plan.remove) {
    if (FileIdentity(plan.folder + relative) == identity) {
      return relative;
    }
  }
  return L"";
}

// Deletes the program's file once it has ended: a hidden command interpreter tries for a while,
// then removes the folder if nothing else is left in it. The paths go through its environment,
// so that no quoting of the command line is needed.
void RemoveSelfAfterEnd(const wstring& self, const wstring& folder) {
  ::SetEnvironmentVariableW(L"VIRELTA_UNINSTALLER", self.c_str());
  ::SetEnvironmentVariableW(L"VIRELTA_FOLDER", folder.c_str());
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  // The loop's body holds the folder's removal too: it fails (quietly) until the program's file
  // is gone, and it is never followed, so nothing but the emptied folder goes.
  wstring command = L"\"" + wstring(system) +
                    L"\\cmd.exe\" /d /q /c for /l %i in (1,1,600) do (if exist "
                    L"\"%VIRELTA_UNINSTALLER%\" del /f /q \"%VIRELTA_UNINSTALLER%\" 2>nul) & rd "
                    L"\"%VIRELTA_FOLDER%\" 2>nul";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       system, &startup, &process)) {
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
}

// The window: what will be removed and kept, "Удалить" and "Отмена"; then the result and
// "Закрыть".
class RemovalWindow {
 public:
  RemovalWindow(os::Platform& platform, const uninstall::Prepared& prepared, wstring title,
                wstring selfFile)
      : platform_(platform),
        prepared_(prepared),
        title_(std::move(title)),
        selfFile_(std::move(selfFile)) {}

  int Run() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &RemovalWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"VireltaUninstall";
    ::RegisterClassExW(&windowClass);
    const HWND window =
        ::CreateWindowExW(WS_EX_DLGMODALFRAME, windowClass.lpszClassName, title_.c_str(),
                          WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                          640, 440, nullptr, nullptr, instance, this);
    if (window == nullptr) {
      return ExitCode::kFailed;
    }
    ::ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (!::IsDialogMessageW(window, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    }
    return exitCode_;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* self =
          static_cast<RemovalWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->window_ = window;
    }
    auto* self = reinterpret_cast<RemovalWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return self != nullptr ? self->Handle(message, wParam, lParam)
                           : ::DefWindowProcW(window, message, wParam, lParam);
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        Create();
        return 0;
      case WM_COMMAND:
        if (LOWORD(wParam) == kRemove && prepared_.plan && !done_) {
          Remove();
        } else if (LOWORD(wParam) == kCancel) {
          ::DestroyWindow(window_);
        }
        return 0;
      case WM_CLOSE:
        ::DestroyWindow(window_);
        return 0;
      case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
      default:
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }
  }

  HWND Control(const wchar_t* kind, const wstring& text, DWORD style, int id, RECT box) {
    const HWND control = ::CreateWindowExW(
        0, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, box.left, box.top,
        box.right - box.left, box.bottom - box.top, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    return control;
  }

  void Create() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    font_ = ::CreateFontIndirectW(&metrics.lfMessageFont);
    RECT client;
    ::GetClientRect(window_, &client);
    const int margin = 12;
    const int buttonWidth = 110;
    const int buttonHeight = 28;
    const int bottom = client.bottom - margin;
    text_ = Control(
        L"EDIT",
        prepared_.plan ? Joined(uninstall::DescribePlan(*prepared_.plan)) : prepared_.refusal,
        WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, kText,
        {margin, margin, client.right - margin, bottom - buttonHeight - margin});
    remove_ = Control(L"BUTTON", L"Удалить", WS_TABSTOP | BS_DEFPUSHBUTTON, kRemove,
                      {client.right - margin - 2 * buttonWidth - 8, bottom - buttonHeight,
                       client.right - margin - buttonWidth - 8, bottom});
    cancel_ = Control(L"BUTTON", prepared_.plan ? L"Отмена" : L"Закрыть",
                      WS_TABSTOP | BS_PUSHBUTTON, kCancel,
                      {client.right - margin - buttonWidth, bottom - buttonHeight,
                       client.right - margin, bottom});
    if (!prepared_.plan) {
      ::ShowWindow(remove_, SW_HIDE);
      exitCode_ = ExitCode::kRefused;
    }
    ::SetFocus(prepared_.plan ? cancel_ : cancel_);
  }

  void Remove() {
    const HCURSOR old = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    try {
      outcome_ = uninstall::CarryOut(platform_, *prepared_.plan, selfFile_);
      exitCode_ = outcome_.complete ? ExitCode::kDone : ExitCode::kPartly;
      ::SetWindowTextW(text_,
                       Joined(uninstall::DescribeOutcome(*prepared_.plan, outcome_)).c_str());
    } catch (const std::exception& error) {
      exitCode_ = ExitCode::kFailed;
      ::SetWindowTextW(text_, text::FromUtf8(error.what()).c_str());
    }
    ::SetCursor(old);
    done_ = true;
    ::ShowWindow(remove_, SW_HIDE);
    ::SetWindowTextW(cancel_, L"Закрыть");
    ::SetFocus(cancel_);
  }

 public:
  const uninstall::Outcome& Outcome() const { return outcome_; }
  ~RemovalWindow() {
    if (font_ != nullptr) {
      ::DeleteObject(font_);
    }
  }
  RemovalWindow(const RemovalWindow&) = delete;
  RemovalWindow& operator=(const RemovalWindow&) = delete;

 private:
  os::Platform& platform_;
  const uninstall::Prepared& prepared_;
  wstring title_;
  wstring selfFile_;
  HWND window_ = nullptr;
  HWND text_ = nullptr;
  HWND remove_ = nullptr;
  HWND cancel_ = nullptr;
  HFONT font_ = nullptr;
  bool done_ = false;
  int exitCode_ = ExitCode::kCancelled;
  uninstall::Outcome outcome_;
};

int Run(os::Platform& platform, const Arguments& arguments) {
  const wstring self = platform.system.ModuleFileName();
  wstring folder = arguments.folder;
  if (folder.empty()) {
    folder = self.substr(0, self.find_last_of(L'\\') + 1);
  }
  const wstring product = engine::InstallerString(platform.system, VR_STR_PRODUCT_NAME);
  const uninstall::Prepared prepared = uninstall::PlanRemoval(platform, folder, product);
  const wstring selfFile = prepared.plan ? SelfFile(self, *prepared.plan) : L"";
  int code = ExitCode::kRefused;
  uninstall::Outcome outcome;
  if (arguments.quiet) {
    if (!prepared.plan) {
      Report({prepared.refusal});
      return ExitCode::kRefused;
    }
    outcome = uninstall::CarryOut(platform, *prepared.plan, selfFile);
    Report(uninstall::DescribeOutcome(*prepared.plan, outcome));
    code = outcome.complete ? ExitCode::kDone : ExitCode::kPartly;
  } else {
    RemovalWindow window(platform, prepared, L"Удаление комплекса \u00AB" + product + L"\u00BB",
                         selfFile);
    code = window.Run();
    outcome = window.Outcome();
  }
  if (outcome.selfLeft && outcome.complete) {
    RemoveSelfAfterEnd(self, prepared.plan->folder);
  }
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  kit::HardenDllSearch();
  const Arguments arguments = ParseArguments();
  // No removal while an installation (or another removal) runs.
  if (!os::win32::TakeInstallationLockForProgram()) {
    const wstring busy =
        L"На этом компьютере идёт установка или удаление комплекса. Дождитесь окончания и "
        L"запустите удаление снова.";
    if (arguments.quiet) {
      Report({busy});
    } else {
      ::MessageBoxW(nullptr, busy.c_str(), L"Удаление комплекса", MB_OK | MB_ICONWARNING);
    }
    return os::kInstallationAlreadyRunning;
  }
  try {
    os::win32::Win32Platform platform;
    const vr::SharedUnits sharedUnits(platform.Get());
    const os::win32::ComApartment com;
    return Run(platform.Get(), arguments);
  } catch (const std::exception& error) {
    const wstring text = text::FromUtf8(error.what());
    if (arguments.quiet) {
      Report({text});
    } else {
      ::MessageBoxW(nullptr, text.c_str(), L"Удаление комплекса", MB_OK | MB_ICONERROR);
    }
  }
  return ExitCode::kFailed;
}
