#include "os/win32/Win32Xml.h"

#include <windows.h>

#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "os/win32/ComPtr.h"

namespace os::win32 {
namespace {

// "Msxml2.DOMDocument", the version-independent DOM document class.
constexpr CLSID kDomDocumentClass = {
    0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
constexpr IID kDomDocument2Interface = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kDomNodeInterface = {
    0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// A BSTR owned for one call.
class Bstr {
 public:
  explicit Bstr(const std::wstring& text)
      : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr() = default;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { ::SysFreeString(value_); }

  BSTR Get() const { return value_; }
  BSTR* Put() {
    ::SysFreeString(std::exchange(value_, nullptr));
    return &value_;
  }
  std::wstring Text() const {
    return value_ == nullptr ? std::wstring() : std::wstring(value_, ::SysStringLen(value_));
  }

 private:
  BSTR value_ = nullptr;
};

// A VARIANT owned for one call.
class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  explicit Variant(const std::wstring& text) : Variant() {
    value_.vt = VT_BSTR;
    value_.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { ::VariantClear(&value_); }

  VARIANT& Get() { return value_; }

 private:
  VARIANT value_;
};

// The system's text for a failing call, with its code so that even an unknown one says something.
std::wstring FailureText(HRESULT hr) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
  ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  wchar_t code[16];
  std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text.empty() ? std::wstring(code) : text + L" (" + code + L")";
}

std::wstring Trimmed(std::wstring text) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\r' || c == L'\n' || c == L'\t'; };
  while (!text.empty() && blank(text.back())) {
    text.pop_back();
  }
  std::size_t start = 0;
  while (start < text.size() && blank(text[start])) {
    ++start;
  }
  return text.substr(start);
}

class Win32XmlNode final : public IXmlNode {
 public:
  explicit Win32XmlNode(ComPtr<IXMLDOMNode> node) : node_(std::move(node)) {}

  bool SelectSingleNode(const std::wstring& xpath, std::unique_ptr<IXmlNode>& node,
                        std::wstring& error) override {
    node.reset();
    const Bstr query(xpath);
    ComPtr<IXMLDOMNode> found;
    const HRESULT hr = node_->selectSingleNode(query.Get(), found.Put());
    if (FAILED(hr)) {
      error = FailureText(hr);
      return false;
    }
    if (found) {
      node = std::make_unique<Win32XmlNode>(std::move(found));
    }
    return true;
  }

  bool GetTypedValue(std::wstring& value, std::wstring& error) override {
    Variant typed;
    HRESULT hr = node_->get_nodeTypedValue(&typed.Get());
    if (SUCCEEDED(hr)) {
      hr = ::VariantChangeType(&typed.Get(), &typed.Get(), 0, VT_BSTR);
    }
    if (FAILED(hr)) {
      error = FailureText(hr);
      return false;
    }
    const BSTR text = typed.Get().bstrVal;
    value = text == nullptr ? std::wstring() : std::wstring(text, ::SysStringLen(text));
    return true;
  }

  bool SetTypedValue(const std::wstring& value, std::wstring& error) override {
    Variant typed(value);
    const HRESULT hr = node_->put_nodeTypedValue(typed.Get());
    if (FAILED(hr)) {
      error = FailureText(hr);
      return false;
    }
    return true;
  }

 private:
  ComPtr<IXMLDOMNode> node_;
};

class Win32XmlDocument final : public IXmlDocument {
 public:
  explicit Win32XmlDocument(ComPtr<IXMLDOMDocument2> document) : document_(std::move(document)) {}

  bool Load(const std::wstring& path, XmlLoadError& error) override {
    Variant source(path);
    return Loaded(source, error);
  }

  // The bytes as a one-dimensional array of bytes, which load reads as it reads a file.
  bool LoadFromBytes(const std::string& bytes, XmlLoadError& error) override {
    Variant source;
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (array == nullptr) {
      error = XmlLoadError{FailureText(E_OUTOFMEMORY), 0};
      return false;
    }
    source.Get().vt = VT_ARRAY | VT_UI1;
    source.Get().parray = array;  // owned by the variant from here on
    void* data = nullptr;
    if (const HRESULT hr = ::SafeArrayAccessData(array, &data); FAILED(hr)) {
      error = XmlLoadError{FailureText(hr), 0};
      return false;
    }
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
    ::SafeArrayUnaccessData(array);
    return Loaded(source, error);
  }

  bool DocumentElement(std::unique_ptr<IXmlNode>& element, std::wstring& error) override {
    element.reset();
    ComPtr<IXMLDOMElement> root;
    HRESULT hr = document_->get_documentElement(root.Put());
    if (FAILED(hr)) {
      error = FailureText(hr);
      return false;
    }
    if (!root) {
      return true;
    }
    ComPtr<IXMLDOMNode> node;
    hr = root->QueryInterface(kDomNodeInterface, node.PutVoid());
    if (FAILED(hr)) {
      error = FailureText(hr);
      return false;
    }
    element = std::make_unique<Win32XmlNode>(std::move(node));
    return true;
  }

  bool Save(const std::wstring& path, std::wstring& error) override {
    Variant destination(path);
    const HRESULT hr = document_->save(destination.Get());
    if (FAILED(hr)) {
      error = FailureText(hr);
      return false;
    }
    return true;
  }

  // Saved into a stream in memory, then taken out of it.
  bool SaveToBytes(std::string& bytes, std::wstring& error) override {
    ComPtr<IStream> stream;
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    if (SUCCEEDED(hr)) {
      Variant destination;
      destination.Get().vt = VT_UNKNOWN;
      destination.Get().punkVal = stream.Get();
      stream->AddRef();  // the variant releases its own reference
      hr = document_->save(destination.Get());
    }
    STATSTG stat{};
    if (SUCCEEDED(hr)) {
      hr = stream->Stat(&stat, STATFLAG_NONAME);
    }
    HGLOBAL memory = nullptr;
    if (SUCCEEDED(hr)) {
      hr = ::GetHGlobalFromStream(stream.Get(), &memory);
    }
    if (FAILED(hr)) {
      error = FailureText(hr);
      return false;
    }
    const auto size = static_cast<std::size_t>(stat.cbSize.QuadPart);
    const char* data = static_cast<const char*>(::GlobalLock(memory));
    bytes.assign(data, data == nullptr ? 0 : size);
    if (data != nullptr) {
      ::GlobalUnlock(memory);
    }
    return true;
  }

 private:
  // The end of a load: true, or false with the parser's reason and line where it has them.
  bool Loaded(Variant& source, XmlLoadError& error) {
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT hr = document_->load(source.Get(), &loaded);
    if (SUCCEEDED(hr) && loaded == VARIANT_TRUE) {
      return true;
    }
    error = XmlLoadError{FailureText(FAILED(hr) ? hr : S_FALSE), 0};
    ComPtr<IXMLDOMParseError> parseError;
    long code = 0;
    if (SUCCEEDED(document_->get_parseError(parseError.Put())) && parseError &&
        SUCCEEDED(parseError->get_errorCode(&code)) && code != 0) {
      Bstr reason;
      long line = 0;
      if (SUCCEEDED(parseError->get_reason(reason.Put()))) {
        const std::wstring text = Trimmed(reason.Text());
        error.reason = text.empty() ? FailureText(static_cast<HRESULT>(code)) : text;
      }
      if (SUCCEEDED(parseError->get_line(&line))) {
        error.line = static_cast<std::int32_t>(line);
      }
    }
    return false;
  }

  ComPtr<IXMLDOMDocument2> document_;
};

}  // namespace

std::int32_t Win32Xml::ComInitialize() {
  return static_cast<std::int32_t>(::CoInitialize(nullptr));
}

void Win32Xml::ComUninitialize() {
  ::CoUninitialize();
}

std::unique_ptr<IXmlDocument> Win32Xml::CreateDocument(std::wstring& error) {
  ComPtr<IXMLDOMDocument2> document;
  HRESULT hr = ::CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER,
                                  kDomDocument2Interface, document.PutVoid());
  if (SUCCEEDED(hr)) {
    hr = document->put_async(VARIANT_FALSE);
  }
  if (SUCCEEDED(hr)) {
    // The file is written back as it was read, its line breaks and indentation included.
    hr = document->put_preserveWhiteSpace(VARIANT_TRUE);
  }
  if (SUCCEEDED(hr)) {
    const Bstr name(L"SelectionLanguage");
    Variant language(std::wstring(L"XPath"));
    hr = document->setProperty(name.Get(), language.Get());
  }
  if (FAILED(hr)) {
    error = FailureText(hr);
    return nullptr;
  }
  return std::make_unique<Win32XmlDocument>(std::move(document));
}

}  // namespace os::win32
