#pragma once
#include "os/Xml.h"

namespace os::win32 {

// The XML seam on MSXML through COM: the version-independent "Msxml2.DOMDocument" with
// IXMLDOMDocument2, loading synchronously, white space kept as it stands in the file, XPath as
// the selection language.
class Win32Xml final : public IXml {
 public:
  std::int32_t ComInitialize() override;
  void ComUninitialize() override;
  std::unique_ptr<IXmlDocument> CreateDocument(std::wstring& error) override;
};

}  // namespace os::win32
