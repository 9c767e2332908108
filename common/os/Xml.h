#pragma once
// The XML seam: the few calls of the system's DOM document (MSXML through COM) that reading and
// changing a small settings document needs, and the COM initialisation of the calling thread.
// Each call reports failure as false with a text; what a failure means is the caller's business.
// Documents and nodes hold COM objects: release them before the matching ComUninitialize.
#include <cstdint>
#include <memory>
#include <string>

namespace os {

// Why a document could not be loaded: the parser's reason (or the system's text for a failing
// call) and the line it names (0 when none).
struct XmlLoadError {
  std::wstring reason;
  std::int32_t line = 0;
};

class IXmlNode {
 public:
  virtual ~IXmlNode() = default;
  // selectSingleNode with an XPath expression relative to this node. True with `node` null when
  // nothing matches.
  virtual bool SelectSingleNode(const std::wstring& xpath, std::unique_ptr<IXmlNode>& node,
                                std::wstring& error) = 0;
  // nodeTypedValue, as text. An element without a data type gives its text content.
  virtual bool GetTypedValue(std::wstring& value, std::wstring& error) = 0;
  // nodeTypedValue set from a text: the element's content becomes that text alone.
  virtual bool SetTypedValue(const std::wstring& value, std::wstring& error) = 0;
};

class IXmlDocument {
 public:
  virtual ~IXmlDocument() = default;
  // load, synchronously (asynchronous loading is off from creation on).
  virtual bool Load(const std::wstring& path, XmlLoadError& error) = 0;
  // documentElement; true with `element` null for a document without one.
  virtual bool DocumentElement(std::unique_ptr<IXmlNode>& element, std::wstring& error) = 0;
  // save, to a file path.
  virtual bool Save(const std::wstring& path, std::wstring& error) = 0;
  // load from the bytes of a file already read (the encoding found as in a file), and save to
  // bytes as save would write them: for a caller that keeps the file itself.
  virtual bool LoadFromBytes(const std::string& bytes, XmlLoadError& error) = 0;
  virtual bool SaveToBytes(std::string& bytes, std::wstring& error) = 0;
};

class IXml {
 public:
  virtual ~IXml() = default;
  // CoInitialize(nullptr): S_OK (0), S_FALSE (1) when the thread already was, or a failure code.
  // Only a call that succeeded (S_OK or S_FALSE) is to be paired with ComUninitialize.
  virtual std::int32_t ComInitialize() = 0;
  virtual void ComUninitialize() = 0;
  // CoCreateInstance of the DOM document ("Msxml2.DOMDocument", IXMLDOMDocument2), asynchronous
  // loading switched off. Null when it cannot be created, with the system's text in `error`.
  virtual std::unique_ptr<IXmlDocument> CreateDocument(std::wstring& error) = 0;
};

}  // namespace os
