#pragma once
// XML documents over a file-system view: a document is loaded from the bytes the view reads and
// saved into the view, never onto the disk. COM and the parser are the base's.
#include "os/FileSystem.h"
#include "os/Xml.h"

namespace os::overlay {

class OverlayXml final : public IXml {
 public:
  OverlayXml(IXml& base, IFileSystem& view) : base_(base), view_(view) {}

  std::int32_t ComInitialize() override { return base_.ComInitialize(); }
  void ComUninitialize() override { base_.ComUninitialize(); }
  std::unique_ptr<IXmlDocument> CreateDocument(std::wstring& error) override;

 private:
  IXml& base_;
  IFileSystem& view_;
};

}  // namespace os::overlay
