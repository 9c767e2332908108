#include "os/overlay/DryRunShellLinks.h"

#include <string>

#include "text/Utf.h"

namespace os::overlay {
namespace {

constexpr std::int32_t kPathNotFoundResult = static_cast<std::int32_t>(0x80070003);

class Link final : public IShellLinkObject {
 public:
  Link(std::unique_ptr<IShellLinkObject> base, IFileSystem& view)
      : base_(std::move(base)), view_(view) {}

  std::int32_t SetPath(const std::wstring& path) override {
    path_ = path;
    return base_->SetPath(path);
  }
  std::int32_t SetArguments(const std::wstring& arguments) override {
    return base_->SetArguments(arguments);
  }
  std::int32_t SetDescription(const std::wstring& description) override {
    return base_->SetDescription(description);
  }
  std::int32_t SetWorkingDirectory(const std::wstring& folder) override {
    return base_->SetWorkingDirectory(folder);
  }
  std::int32_t Save(const std::wstring& path, bool /*remember*/) override {
    ErrorCode error = error::kSuccess;
    const auto file =
        view_.Open(path, Access::kReadWrite, Share::kNone, Disposition::kCreateAlways, error);
    if (!file) {
      return error == error::kSuccess ? kPathNotFoundResult
                                      : static_cast<std::int32_t>(0x80070000u | error);
    }
    const std::string content = text::ToUtf8(L"[Shortcut]\r\nPath=" + path_ + L"\r\n");
    std::uint32_t written = 0;
    file->Write(content.data(), static_cast<std::uint32_t>(content.size()), written);
    return 0;
  }

 private:
  std::unique_ptr<IShellLinkObject> base_;
  IFileSystem& view_;
  std::wstring path_;
};

}  // namespace

std::unique_ptr<IShellLinkObject> DryRunShellLinks::Create(std::wstring& error) {
  auto base = base_.Create(error);
  if (!base) {
    return nullptr;
  }
  return std::make_unique<Link>(std::move(base), view_);
}

}  // namespace os::overlay
