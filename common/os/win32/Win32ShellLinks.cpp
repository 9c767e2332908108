#include "os/win32/Win32ShellLinks.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>
#include <utility>

#include "os/win32/ComPtr.h"

namespace os::win32 {
namespace {

constexpr CLSID kShellLinkClass = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kShellLinkWInterface = {
    0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kPersistFileInterface = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kUnknownInterface = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class Win32ShellLink final : public IShellLinkObject {
 public:
  Win32ShellLink(ComPtr<IShellLinkW> link, ComPtr<IPersistFile> file)
      : link_(std::move(link)), file_(std::move(file)) {}

  std::int32_t SetPath(const std::wstring& path) override { return link_->SetPath(path.c_str()); }
  std::int32_t SetArguments(const std::wstring& arguments) override {
    return link_->SetArguments(arguments.c_str());
  }
  std::int32_t SetDescription(const std::wstring& description) override {
    return link_->SetDescription(description.c_str());
  }
  std::int32_t SetWorkingDirectory(const std::wstring& folder) override {
    return link_->SetWorkingDirectory(folder.c_str());
  }
  std::int32_t Save(const std::wstring& path, bool remember) override {
    return file_->Save(path.c_str(), remember ? TRUE : FALSE);
  }

 private:
  ComPtr<IShellLinkW> link_;
  ComPtr<IPersistFile> file_;
};

// The system's text for an HRESULT, without the line break at its end; the code in hexadecimal
// when the system has no text for it.
std::wstring ComErrorText(HRESULT result) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message;
  if (length != 0 && text != nullptr) {
    message.assign(text, length);
  }
  ::LocalFree(text);
  while (!message.empty() &&
         (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  if (message.empty()) {
    wchar_t code[16];
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
    message = code;
  }
  return message;
}

}  // namespace

std::unique_ptr<IShellLinkObject> Win32ShellLinks::Create(std::wstring& error) {
  ComPtr<IUnknown> object;
  HRESULT result =
      ::CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         kUnknownInterface, object.PutVoid());
  if (FAILED(result)) {
    error = ComErrorText(result);
    return nullptr;
  }
  ComPtr<IShellLinkW> link;
  result = object->QueryInterface(kShellLinkWInterface, link.PutVoid());
  if (FAILED(result)) {
    error = ComErrorText(result);
    return nullptr;
  }
  ComPtr<IPersistFile> file;
  result = object->QueryInterface(kPersistFileInterface, file.PutVoid());
  if (FAILED(result)) {
    error = ComErrorText(result);
    return nullptr;
  }
  return std::make_unique<Win32ShellLink>(std::move(link), std::move(file));
}

}  // namespace os::win32
