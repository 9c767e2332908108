#include "os/overlay/OverlayXml.h"
#include "os/FileContent.h"

#include <string>

namespace os::overlay {
namespace {

class Document final : public IXmlDocument {
 public:
  Document(std::unique_ptr<IXmlDocument> base, IFileSystem& view)
      : base_(std::move(base)), view_(view) {}

  bool Load(const std::wstring& path, XmlLoadError& error) override {
    std::string bytes;
    if (const ErrorCode code = ReadAll(path, bytes); code != error::kSuccess) {
      error = XmlLoadError{view_.ErrorText(code), 0};
      return false;
    }
    return base_->LoadFromBytes(bytes, error);
  }

  bool DocumentElement(std::unique_ptr<IXmlNode>& element, std::wstring& error) override {
    return base_->DocumentElement(element, error);
  }

  bool Save(const std::wstring& path, std::wstring& error) override {
    std::string bytes;
    if (!base_->SaveToBytes(bytes, error)) {
      return false;
    }
    ErrorCode code = error::kSuccess;
    const auto file =
        view_.Open(path, Access::kReadWrite, Share::kNone, Disposition::kCreateAlways, code);
    std::uint32_t written = 0;
    if (file) {
      code = file->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), written);
    }
    if (code != error::kSuccess) {
      error = view_.ErrorText(code);
      return false;
    }
    return true;
  }

  bool LoadFromBytes(const std::string& bytes, XmlLoadError& error) override {
    return base_->LoadFromBytes(bytes, error);
  }
  bool SaveToBytes(std::string& bytes, std::wstring& error) override {
    return base_->SaveToBytes(bytes, error);
  }

 private:
  ErrorCode ReadAll(const std::wstring& path, std::string& bytes) {
    return ReadFileContent(view_, path, bytes);
  }

  std::unique_ptr<IXmlDocument> base_;
  IFileSystem& view_;
};

}  // namespace

std::unique_ptr<IXmlDocument> OverlayXml::CreateDocument(std::wstring& error) {
  auto base = base_.CreateDocument(error);
  if (!base) {
    return nullptr;
  }
  return std::make_unique<Document>(std::move(base), view_);
}

}  // namespace os::overlay
