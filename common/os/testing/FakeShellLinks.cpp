#include "os/testing/FakeShellLinks.h"

#include "os/testing/FileHelpers.h"
#include "os/testing/SeamCalls.h"
#include "text/Utf.h"

namespace os::testing {
namespace {

constexpr char kMagic[] = "FakeShellLink\n";

// HRESULT_FROM_WIN32.
std::int32_t FromWin32(ErrorCode code) {
  return code == 0 ? 0 : static_cast<std::int32_t>(0x80070000u | (code & 0xFFFFu));
}

// One field per line; the texts are stored as UTF-8 with line breaks escaped.
std::string Escape(const std::wstring& text) {
  std::string out;
  for (const char c : text::ToUtf8(text)) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::wstring Unescape(const std::string& line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      out += line[++i] == 'n' ? '\n' : line[i];
    } else {
      out += line[i];
    }
  }
  return text::FromUtf8(out);
}

}  // namespace

class FakeShellLinks::Link final : public IShellLinkObject {
 public:
  explicit Link(FakeShellLinks& owner) : owner_(owner) { ++owner_.live_; }
  ~Link() override {
    --owner_.live_;
    owner_.calls_.push_back(L"Release");
  }
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  std::int32_t SetPath(const std::wstring& path) override {
    SeamCalls::Count();
    owner_.calls_.push_back(L"SetPath " + path);
    link_.path = path;
    return 0;
  }
  std::int32_t SetArguments(const std::wstring& arguments) override {
    SeamCalls::Count();
    owner_.calls_.push_back(L"SetArguments " + arguments);
    link_.arguments = arguments;
    return 0;
  }
  std::int32_t SetDescription(const std::wstring& description) override {
    SeamCalls::Count();
    owner_.calls_.push_back(L"SetDescription " + description);
    link_.description = description;
    return 0;
  }
  std::int32_t SetWorkingDirectory(const std::wstring& folder) override {
    SeamCalls::Count();
    owner_.calls_.push_back(L"SetWorkingDirectory " + folder);
    link_.workingDirectory = folder;
    return 0;
  }
  std::int32_t Save(const std::wstring& path, bool remember) override {
    SeamCalls::Count();
    owner_.calls_.push_back(L"Save " + path + (remember ? L" true" : L" false"));
    const std::string content = std::string(kMagic) + Escape(link_.path) + "\n" +
                                Escape(link_.arguments) + "\n" + Escape(link_.description) + "\n" +
                                Escape(link_.workingDirectory) + "\n";
    ErrorCode error = error::kSuccess;
    const auto file =
        owner_.fs_.Open(path, Access::kReadWrite, Share::kNone, Disposition::kCreateAlways, error);
    if (!file) {
      return FromWin32(error);
    }
    std::uint32_t written = 0;
    error = file->Write(content.data(), static_cast<std::uint32_t>(content.size()), written);
    return FromWin32(error);
  }

 private:
  FakeShellLinks& owner_;
  SavedShellLink link_;
};

std::unique_ptr<IShellLinkObject> FakeShellLinks::Create(std::wstring& error) {
  SeamCalls::Count();
  calls_.push_back(L"Create");
  if (createFailure_) {
    error = *createFailure_;
    return nullptr;
  }
  return std::make_unique<Link>(*this);
}

std::optional<SavedShellLink> FakeShellLinks::Read(IFileSystem& fs, const std::wstring& path) {
  const auto content = ReadBytes(fs, path);
  if (!content || content->rfind(kMagic, 0) != 0) {
    return std::nullopt;
  }
  std::vector<std::wstring> fields;
  std::size_t start = sizeof(kMagic) - 1;
  while (start < content->size()) {
    const std::size_t end = content->find('\n', start);
    if (end == std::string::npos) {
      return std::nullopt;
    }
    fields.push_back(Unescape(content->substr(start, end - start)));
    start = end + 1;
  }
  if (fields.size() != 4) {
    return std::nullopt;
  }
  return SavedShellLink{fields[0], fields[1], fields[2], fields[3]};
}

}  // namespace os::testing
