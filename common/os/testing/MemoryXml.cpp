#include "os/testing/MemoryXml.h"

#include <cwchar>
#include <stdexcept>
#include <utility>

#include "os/testing/SeamCalls.h"
#include "text/Utf.h"

namespace os::testing {
namespace {

struct Node {
  enum class Kind { kElement, kText, kCData, kComment, kInstruction, kDocType };
  Kind kind = Kind::kElement;
  std::wstring name;        // of an element
  std::wstring attributes;  // of an element, as written (white space before each included)
  std::wstring text;        // decoded text; the raw inside of the other kinds
  bool selfClosing = false;
  std::vector<std::unique_ptr<Node>> children;
};

// A parsed document: its top-level nodes (declaration, comments, white space, the element).
struct Tree {
  std::vector<std::unique_ptr<Node>> top;
  bool utf16 = false;
};

struct ParseFailure {
  std::wstring reason;
  std::size_t position = 0;
};

bool IsSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsNameStart(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' || c == L':' ||
         static_cast<std::uint32_t>(c) >= 0xC0;
}

bool IsNameChar(wchar_t c) {
  return IsNameStart(c) || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.';
}

bool IsName(const std::wstring& name) {
  if (name.empty() || !IsNameStart(name[0])) {
    return false;
  }
  for (const wchar_t c : name) {
    if (!IsNameChar(c)) {
      return false;
    }
  }
  return true;
}

class Parser {
 public:
  explicit Parser(const std::wstring& source) : s_(source) {}

  std::unique_ptr<Tree> Document() {
    auto tree = std::make_unique<Tree>();
    bool haveRoot = false;
    bool first = true;
    while (pos_ < s_.size()) {
      if (IsSpace(s_[pos_])) {
        const std::size_t start = pos_;
        while (pos_ < s_.size() && IsSpace(s_[pos_])) {
          ++pos_;
        }
        tree->top.push_back(TextNode(s_.substr(start, pos_ - start)));
      } else if (Starts(L"<?")) {
        auto instruction = Instruction();
        if (instruction->text.rfind(L"xml", 0) == 0 &&
            (instruction->text.size() == 3 || IsSpace(instruction->text[3])) && !first) {
          Fail(L"Неверное место объявления XML.");
        }
        tree->top.push_back(std::move(instruction));
      } else if (Starts(L"<!--")) {
        tree->top.push_back(Comment());
      } else if (Starts(L"<!DOCTYPE")) {
        tree->top.push_back(DocType());
      } else if (Starts(L"<")) {
        if (haveRoot) {
          Fail(L"Документ может иметь только один элемент верхнего уровня.");
        }
        tree->top.push_back(Element());
        haveRoot = true;
      } else {
        Fail(L"Недопустимый текст на верхнем уровне документа.");
      }
      first = false;
    }
    if (!haveRoot) {
      Fail(L"В документе нет элемента верхнего уровня.");
    }
    return tree;
  }

 private:
  [[noreturn]] void Fail(const std::wstring& reason) { throw ParseFailure{reason, pos_}; }

  bool Starts(const wchar_t* prefix) const {
    return s_.compare(pos_, std::wcslen(prefix), prefix) == 0;
  }

  // Everything up to `end`, which is consumed too.
  std::wstring Until(const wchar_t* end, const wchar_t* what) {
    const std::size_t found = s_.find(end, pos_);
    if (found == std::wstring::npos) {
      pos_ = s_.size();
      Fail(std::wstring(L"Неожиданный конец файла внутри ") + what + L".");
    }
    std::wstring inside = s_.substr(pos_, found - pos_);
    pos_ = found + std::wcslen(end);
    return inside;
  }

  static std::unique_ptr<Node> TextNode(std::wstring text) {
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::kText;
    node->text = std::move(text);
    return node;
  }

  std::unique_ptr<Node> Instruction() {
    pos_ += 2;
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::kInstruction;
    node->text = Until(L"?>", L"инструкции обработки");
    return node;
  }

  std::unique_ptr<Node> Comment() {
    pos_ += 4;
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::kComment;
    node->text = Until(L"-->", L"комментария");
    return node;
  }

  std::unique_ptr<Node> DocType() {
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::kDocType;
    node->text = L"<" + Until(L">", L"объявления типа документа") + L">";
    return node;
  }

  std::wstring Name() {
    const std::size_t start = pos_;
    if (pos_ >= s_.size() || !IsNameStart(s_[pos_])) {
      Fail(L"Неверный символ в имени.");
    }
    while (pos_ < s_.size() && IsNameChar(s_[pos_])) {
      ++pos_;
    }
    return s_.substr(start, pos_ - start);
  }

  void SkipSpace() {
    while (pos_ < s_.size() && IsSpace(s_[pos_])) {
      ++pos_;
    }
  }

  void ExpectMore() {
    if (pos_ >= s_.size()) {
      Fail(L"Неожиданный конец файла.");
    }
  }

  std::unique_ptr<Node> Element() {
    ++pos_;  // '<'
    auto node = std::make_unique<Node>();
    node->name = Name();
    const std::size_t attributesStart = pos_;
    for (;;) {
      const std::size_t beforeSpace = pos_;
      SkipSpace();
      ExpectMore();
      if (s_[pos_] == L'>' || Starts(L"/>")) {
        break;
      }
      if (pos_ == beforeSpace) {
        Fail(L"Между атрибутами нужен пробел.");
      }
      Name();
      SkipSpace();
      ExpectMore();
      if (s_[pos_] != L'=') {
        Fail(L"Ожидался знак \"=\".");
      }
      ++pos_;
      SkipSpace();
      ExpectMore();
      const wchar_t quote = s_[pos_];
      if (quote != L'"' && quote != L'\'') {
        Fail(L"Значение атрибута должно быть в кавычках.");
      }
      ++pos_;
      const std::wstring value = Until(quote == L'"' ? L"\"" : L"'", L"значения атрибута");
      if (value.find(L'<') != std::wstring::npos) {
        Fail(L"Символ \"<\" недопустим в значении атрибута.");
      }
    }
    node->attributes = s_.substr(attributesStart, pos_ - attributesStart);
    if (Starts(L"/>")) {
      pos_ += 2;
      node->selfClosing = true;
      return node;
    }
    ++pos_;  // '>'
    Content(*node);
    return node;
  }

  void Content(Node& element) {
    std::wstring text;
    const auto flush = [&] {
      if (!text.empty()) {
        element.children.push_back(TextNode(std::move(text)));
        text.clear();
      }
    };
    for (;;) {
      if (pos_ >= s_.size()) {
        Fail(L"Неожиданный конец файла: не закрыт элемент \"" + element.name + L"\".");
      }
      if (Starts(L"</")) {
        flush();
        pos_ += 2;
        const std::wstring name = Name();
        SkipSpace();
        if (pos_ >= s_.size() || s_[pos_] != L'>') {
          Fail(L"Ожидался знак \">\".");
        }
        if (name != element.name) {
          Fail(L"Закрывающий тег \"" + name + L"\" не соответствует открывающему \"" +
               element.name + L"\".");
        }
        ++pos_;
        return;
      }
      if (Starts(L"<!--")) {
        flush();
        element.children.push_back(Comment());
      } else if (Starts(L"<![CDATA[")) {
        flush();
        pos_ += 9;
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::kCData;
        node->text = Until(L"]]>", L"раздела CDATA");
        element.children.push_back(std::move(node));
      } else if (Starts(L"<?")) {
        flush();
        element.children.push_back(Instruction());
      } else if (Starts(L"<")) {
        flush();
        element.children.push_back(Element());
      } else if (s_[pos_] == L'&') {
        text += Reference();
      } else {
        text += s_[pos_++];
      }
    }
  }

  std::wstring Reference() {
    const std::size_t end = s_.find(L';', pos_);
    if (end == std::wstring::npos || end - pos_ > 12) {
      Fail(L"Неверная ссылка на сущность.");
    }
    const std::wstring name = s_.substr(pos_ + 1, end - pos_ - 1);
    std::wstring value;
    if (name == L"lt") {
      value = L"<";
    } else if (name == L"gt") {
      value = L">";
    } else if (name == L"amp") {
      value = L"&";
    } else if (name == L"quot") {
      value = L"\"";
    } else if (name == L"apos") {
      value = L"'";
    } else if (name.size() > 1 && name[0] == L'#') {
      const bool hex = name[1] == L'x';
      try {
        std::size_t used = 0;
        const std::wstring digits = name.substr(hex ? 2 : 1);
        const unsigned long code = std::stoul(digits, &used, hex ? 16 : 10);
        if (used != digits.size() || code == 0 || code > 0x10FFFF) {
          Fail(L"Неверная ссылка на символ.");
        }
        value = std::wstring(1, static_cast<wchar_t>(code));
      } catch (const std::logic_error&) {
        Fail(L"Неверная ссылка на символ.");
      }
    } else {
      Fail(L"Неизвестная сущность \"" + name + L"\".");
    }
    pos_ = end + 1;
    return value;
  }

  const std::wstring& s_;
  std::size_t pos_ = 0;
};

std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  for (const wchar_t c : text) {
    if (c == L'&') {
      out += L"&amp;";
    } else if (c == L'<') {
      out += L"&lt;";
    } else if (c == L'>') {
      out += L"&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

void Write(const Node& node, std::wstring& out) {
  switch (node.kind) {
    case Node::Kind::kText:
      out += Escaped(node.text);
      return;
    case Node::Kind::kCData:
      out += L"<![CDATA[" + node.text + L"]]>";
      return;
    case Node::Kind::kComment:
      out += L"<!--" + node.text + L"-->";
      return;
    case Node::Kind::kInstruction:
      out += L"<?" + node.text + L"?>";
      return;
    case Node::Kind::kDocType:
      out += node.text;
      return;
    case Node::Kind::kElement:
      out += L"<" + node.name + node.attributes;
      if (node.selfClosing && node.children.empty()) {
        out += L"/>";
        return;
      }
      out += L">";
      for (const auto& child : node.children) {
        Write(*child, out);
      }
      out += L"</" + node.name + L">";
      return;
  }
}

void AppendText(const Node& node, std::wstring& out) {
  if (node.kind == Node::Kind::kText || node.kind == Node::Kind::kCData) {
    out += node.text;
  }
  for (const auto& child : node.children) {
    AppendText(*child, out);
  }
}

// The declaration's encoding, upper-cased ASCII; empty when none is declared.
std::wstring DeclaredEncoding(const Tree& tree) {
  for (const auto& node : tree.top) {
    if (node->kind != Node::Kind::kInstruction || node->text.rfind(L"xml", 0) != 0) {
      continue;
    }
    const std::size_t key = node->text.find(L"encoding");
    if (key == std::wstring::npos) {
      return {};
    }
    const std::size_t open = node->text.find_first_of(L"\"'", key);
    const std::size_t close =
        open == std::wstring::npos ? open : node->text.find(node->text[open], open + 1);
    if (close == std::wstring::npos) {
      return {};
    }
    std::wstring name = node->text.substr(open + 1, close - open - 1);
    for (wchar_t& c : name) {
      if (c >= L'a' && c <= L'z') {
        c = static_cast<wchar_t>(c - 32);
      }
    }
    return name;
  }
  return {};
}

std::wstring FromUtf16(const std::string& bytes, std::size_t start) {
  std::wstring out;
  for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if constexpr (sizeof(wchar_t) == 4) {
      if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
        const auto low =
            static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 2]) |
                                       (static_cast<unsigned char>(bytes[i + 3]) << 8));
        if (low >= 0xDC00 && low < 0xE000) {
          out += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
          i += 2;
          continue;
        }
      }
    }
    out += static_cast<wchar_t>(unit);
  }
  return out;
}

std::string ToUtf16(const std::wstring& text) {
  std::string out = "\xFF\xFE";
  const auto unit = [&out](std::uint32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>((u >> 8) & 0xFF);
  };
  for (const wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code > 0xFFFF) {
      unit(0xD800 + ((code - 0x10000) >> 10));
      unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      unit(code);
    }
  }
  return out;
}

// Counts itself among the live COM objects of the double.
class Counted {
 public:
  explicit Counted(std::shared_ptr<MemoryXml::State> state) : state_(std::move(state)) {
    ++state_->live;
  }
  ~Counted() {
    --state_->live;
    if (state_->depth == 0) {
      ++state_->releasedOutside;
    }
  }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;

  MemoryXml::State& State() { return *state_; }
  const std::shared_ptr<MemoryXml::State>& Shared() { return state_; }

 private:
  std::shared_ptr<MemoryXml::State> state_;
};

std::vector<std::wstring> Steps(const std::wstring& path) {
  std::vector<std::wstring> steps;
  std::size_t start = path.empty() || path[0] != L'/' ? 0 : 1;
  for (;;) {
    const std::size_t slash = path.find(L'/', start);
    steps.push_back(path.substr(start, slash == std::wstring::npos ? slash : slash - start));
    if (slash == std::wstring::npos) {
      break;
    }
    start = slash + 1;
  }
  for (const std::wstring& step : steps) {
    if (!IsName(step)) {
      throw std::logic_error("the XML double selects by paths of element names only: " +
                             text::ToUtf8(path));
    }
  }
  return steps;
}

// The first element in document order that the steps reach from these nodes.
Node* Select(const std::vector<std::unique_ptr<Node>>& nodes,
             const std::vector<std::wstring>& steps, std::size_t index) {
  for (const auto& node : nodes) {
    if (node->kind != Node::Kind::kElement || node->name != steps[index]) {
      continue;
    }
    if (index + 1 == steps.size()) {
      return node.get();
    }
    if (Node* found = Select(node->children, steps, index + 1)) {
      return found;
    }
  }
  return nullptr;
}

class MemoryXmlNode final : public IXmlNode {
 public:
  MemoryXmlNode(std::shared_ptr<MemoryXml::State> state, std::shared_ptr<Tree> tree, Node* node)
      : counted_(std::move(state)), tree_(std::move(tree)), node_(node) {}

  bool SelectSingleNode(const std::wstring& xpath, std::unique_ptr<IXmlNode>& node,
                        std::wstring& /*error*/) override {
    SeamCalls::Count();
    node.reset();
    const std::vector<std::wstring> steps = Steps(xpath);
    Node* found = !xpath.empty() && xpath[0] == L'/' ? Select(tree_->top, steps, 0)
                                                     : Select(node_->children, steps, 0);
    if (found != nullptr) {
      node = std::make_unique<MemoryXmlNode>(counted_.Shared(), tree_, found);
    }
    return true;
  }

  bool GetTypedValue(std::wstring& value, std::wstring& /*error*/) override {
    SeamCalls::Count();
    value.clear();
    AppendText(*node_, value);
    return true;
  }

  bool SetTypedValue(const std::wstring& value, std::wstring& error) override {
    SeamCalls::Count();
    if (counted_.State().failSet) {
      error = L"Отказ записи значения узла (имитация).";
      return false;
    }
    node_->children.clear();
    node_->selfClosing = false;
    if (!value.empty()) {
      auto text = std::make_unique<Node>();
      text->kind = Node::Kind::kText;
      text->text = value;
      node_->children.push_back(std::move(text));
    }
    return true;
  }

 private:
  Counted counted_;
  std::shared_ptr<Tree> tree_;
  Node* node_;
};

class MemoryXmlDocument final : public IXmlDocument {
 public:
  MemoryXmlDocument(std::shared_ptr<MemoryXml::State> state, IFileSystem& fs)
      : counted_(std::move(state)), fs_(fs) {}

  bool Load(const std::wstring& path, XmlLoadError& error) override {
    SeamCalls::Count();
    tree_.reset();
    std::string bytes;
    if (const ErrorCode code = ReadAll(path, bytes); code != error::kSuccess) {
      error = XmlLoadError{fs_.ErrorText(code), 0};
      return false;
    }
    return LoadFromBytes(bytes, error);
  }

  bool LoadFromBytes(const std::string& bytes, XmlLoadError& error) override {
    SeamCalls::Count();
    tree_.reset();
    std::wstring source;
    bool utf16 = false;
    if (bytes.rfind("\xFF\xFE", 0) == 0) {
      source = FromUtf16(bytes, 2);
      utf16 = true;
    } else {
      source = text::FromUtf8(bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes);
    }
    try {
      auto tree = Parser(source).Document();
      tree->utf16 = utf16;
      const std::wstring encoding = DeclaredEncoding(*tree);
      if (!encoding.empty() && encoding != (utf16 ? L"UTF-16" : L"UTF-8")) {
        error = XmlLoadError{L"Кодировка \"" + encoding + L"\" не поддерживается.", 1};
        return false;
      }
      tree_ = std::shared_ptr<Tree>(std::move(tree));
      return true;
    } catch (const ParseFailure& failure) {
      std::int32_t line = 1;
      for (std::size_t i = 0; i < failure.position && i < source.size(); ++i) {
        line += source[i] == L'\n' ? 1 : 0;
      }
      error = XmlLoadError{failure.reason, line};
      return false;
    }
  }

  bool DocumentElement(std::unique_ptr<IXmlNode>& element, std::wstring& /*error*/) override {
    SeamCalls::Count();
    element.reset();
    if (!tree_) {
      return true;
    }
    for (const auto& node : tree_->top) {
      if (node->kind == Node::Kind::kElement) {
        element = std::make_unique<MemoryXmlNode>(counted_.Shared(), tree_, node.get());
        break;
      }
    }
    return true;
  }

  bool SaveToBytes(std::string& bytes, std::wstring& /*error*/) override {
    SeamCalls::Count();
    std::wstring textOut;
    if (tree_) {
      for (const auto& node : tree_->top) {
        Write(*node, textOut);
      }
    }
    bytes = tree_ && tree_->utf16 ? ToUtf16(textOut) : text::ToUtf8(textOut);
    return true;
  }

  bool Save(const std::wstring& path, std::wstring& error) override {
    SeamCalls::Count();
    std::string bytes;
    SaveToBytes(bytes, error);
    ErrorCode code = error::kSuccess;
    const auto file =
        fs_.Open(path, Access::kReadWrite, Share::kNone, Disposition::kCreateAlways, code);
    std::size_t done = 0;
    while (file && code == error::kSuccess && done < bytes.size()) {
      std::uint32_t written = 0;
      code = file->Write(bytes.data() + done, static_cast<std::uint32_t>(bytes.size() - done),
                         written);
      done += written;
      if (code == error::kSuccess && written == 0) {
        code = error::kWriteFault;
      }
    }
    if (code != error::kSuccess) {
      error = fs_.ErrorText(code);
      return false;
    }
    ++counted_.State().saves;
    return true;
  }

 private:
  ErrorCode ReadAll(const std::wstring& path, std::string& bytes) {
    ErrorCode code = error::kSuccess;
    const auto file = fs_.Open(path, Access::kRead, Share::kRead, Disposition::kOpenExisting, code);
    if (!file) {
      return code;
    }
    char buffer[4096];
    for (;;) {
      std::uint32_t read = 0;
      code = file->Read(buffer, sizeof(buffer), read);
      if (code != error::kSuccess) {
        return code;
      }
      if (read == 0) {
        return error::kSuccess;
      }
      bytes.append(buffer, read);
    }
  }

  Counted counted_;
  IFileSystem& fs_;
  std::shared_ptr<Tree> tree_;
};

}  // namespace

MemoryXml::MemoryXml(IFileSystem& fs) : fs_(fs) {}

MemoryXml::~MemoryXml() = default;

std::int32_t MemoryXml::ComInitialize() {
  SeamCalls::Count();
  if (state_->initFailure != 0) {
    return state_->initFailure;
  }
  return state_->depth++ == 0 ? 0 : 1;
}

void MemoryXml::ComUninitialize() {
  SeamCalls::Count();
  if (state_->depth == 0) {
    ++state_->unpaired;
    return;
  }
  --state_->depth;
}

std::unique_ptr<IXmlDocument> MemoryXml::CreateDocument(std::wstring& error) {
  SeamCalls::Count();
  if (state_->depth == 0) {
    error = L"CoInitialize не вызывался.";
    return nullptr;
  }
  if (state_->failCreate) {
    error = L"Класс не зарегистрирован.";
    return nullptr;
  }
  ++state_->created;
  return std::make_unique<MemoryXmlDocument>(state_, fs_);
}

}  // namespace os::testing
