#include "engine/RunObserver.h"

#include <exception>
#include <utility>
#include <vector>

#include "engine/MediumManifest.h"

namespace engine {
namespace {

constexpr std::uint32_t kFoCopy = 2;
constexpr std::uint32_t kStillActive = 259;

// Size and SHA-256 of a file as it lies on the disk now, read once more.
void ReportFileOnDisk(os::IFileSystem& fs, os::ICrypto& crypto, IRunObserver& observer,
                      const std::wstring& path) {
  std::uint64_t size = 0;
  os::ErrorCode error = os::error::kSuccess;
  if (const auto file = fs.Open(path, os::Access::kRead, os::Share::kReadWrite,
                                os::Disposition::kOpenExisting, error)) {
    file->GetSize(size);
  }
  std::wstring digestError;
  const std::optional<os::Sha256Digest> digest = FileDigest(fs, crypto, path, digestError);
  observer.FileWritten(path, size, digest, digestError);
}

// Every file below a folder, sub-folders included.
void ReportFolderOnDisk(os::IFileSystem& fs, os::ICrypto& crypto, IRunObserver& observer,
                        const std::wstring& folder, int depth = 0) {
  std::vector<os::FindEntry> entries;
  if (depth > 32 || fs.Find(folder + L"\\*", entries) != os::error::kSuccess) {
    return;
  }
  for (const os::FindEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") {
      continue;
    }
    const std::wstring path = folder + L"\\" + entry.name;
    if ((entry.attributes & os::attr::kDirectory) != 0) {
      ReportFolderOnDisk(fs, crypto, observer, path, depth + 1);
    } else {
      ReportFileOnDisk(fs, crypto, observer, path);
    }
  }
}

// A file opened for writing: the bytes written pass through its digest. A file written from
// its start on (a new or truncated one, never read) is reported with that digest when closed;
// any other that was written is read once more.
class ObservingFile final : public os::IFile {
 public:
  ObservingFile(std::unique_ptr<os::IFile> inner, std::wstring path, bool fromStart,
                os::IFileSystem& fs, os::ICrypto& crypto, IRunObserver& observer)
      : inner_(std::move(inner)),
        path_(std::move(path)),
        fromStart_(fromStart),
        fs_(fs),
        crypto_(crypto),
        observer_(observer) {
    std::wstring error;
    hash_ = crypto_.CreateSha256(error);
  }
  ~ObservingFile() override {
    inner_.reset();
    if (!written_) {
      return;
    }
    try {
      os::Sha256Digest digest{};
      if (fromStart_ && hash_ && hash_->Finish(digest)) {
        observer_.FileWritten(path_, size_, digest, {});
      } else {
        ReportFileOnDisk(fs_, crypto_, observer_, path_);
      }
    } catch (const std::exception&) {
      // An observer never stops the run.
    }
  }

  os::ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& read) override {
    fromStart_ = false;
    return inner_->Read(buffer, size, read);
  }
  os::ErrorCode Write(const void* buffer, std::uint32_t size, std::uint32_t& written) override {
    const os::ErrorCode error = inner_->Write(buffer, size, written);
    written_ = written_ || written > 0 || error == os::error::kSuccess;
    if (written > 0) {
      size_ += written;
      if (hash_ && !hash_->Update(buffer, written)) {
        hash_.reset();
      }
    }
    return error;
  }
  os::ErrorCode GetSize(std::uint64_t& size) override { return inner_->GetSize(size); }
  os::ErrorCode GetLastWriteTime(os::FileTime& utc) override {
    return inner_->GetLastWriteTime(utc);
  }
  os::ErrorCode SetLastWriteTime(os::FileTime utc) override {
    return inner_->SetLastWriteTime(utc);
  }
  os::ErrorCode Flush() override { return inner_->Flush(); }

 private:
  std::unique_ptr<os::IFile> inner_;
  std::wstring path_;
  bool fromStart_;
  os::IFileSystem& fs_;
  os::ICrypto& crypto_;
  IRunObserver& observer_;
  std::unique_ptr<os::IHash> hash_;
  std::uint64_t size_ = 0;
  bool written_ = false;
};

class ObservingFileSystem final : public os::IFileSystem {
 public:
  ObservingFileSystem(os::IFileSystem& base, os::ICrypto& crypto, IRunObserver& observer)
      : base_(base), crypto_(crypto), observer_(observer) {}

  std::unique_ptr<os::IFile> Open(const std::wstring& path, os::Access access, os::Share share,
                                  os::Disposition disposition, os::ErrorCode& error) override {
    auto file = base_.Open(path, access, share, disposition, error);
    if (!file || access != os::Access::kReadWrite) {
      return file;
    }
    return std::make_unique<ObservingFile>(std::move(file), path,
                                           disposition != os::Disposition::kOpenExisting, base_,
                                           crypto_, observer_);
  }
  std::uint32_t GetAttributes(const std::wstring& path) override {
    return base_.GetAttributes(path);
  }
  os::ErrorCode SetAttributes(const std::wstring& path, std::uint32_t attributes) override {
    return base_.SetAttributes(path, attributes);
  }
  os::ErrorCode CreateFolder(const std::wstring& path) override { return base_.CreateFolder(path); }
  os::ErrorCode RemoveFolder(const std::wstring& path) override { return base_.RemoveFolder(path); }
  os::ErrorCode RemoveFile(const std::wstring& path) override {
    const os::ErrorCode error = base_.RemoveFile(path);
    if (error == os::error::kSuccess) {
      observer_.FileRemoved(path);
    }
    return error;
  }
  os::ErrorCode Move(const std::wstring& from, const std::wstring& to) override {
    const os::ErrorCode error = base_.Move(from, to);
    if (error == os::error::kSuccess) {
      observer_.FileRenamed(from, to);
    }
    return error;
  }
  os::ErrorCode Replace(const std::wstring& from, const std::wstring& to) override {
    const os::ErrorCode error = base_.Replace(from, to);
    if (error == os::error::kSuccess) {
      observer_.FileRenamed(from, to);
    }
    return error;
  }
  os::ErrorCode SystemCopy(const std::wstring& source, const std::wstring& destination,
                           bool failIfExists) override {
    const os::ErrorCode error = base_.SystemCopy(source, destination, failIfExists);
    if (error == os::error::kSuccess) {
      ReportFileOnDisk(base_, crypto_, observer_, destination);
    }
    return error;
  }
  os::ErrorCode Find(const std::wstring& pattern, std::vector<os::FindEntry>& entries) override {
    return base_.Find(pattern, entries);
  }
  std::wstring FullPath(const std::wstring& path) override { return base_.FullPath(path); }
  bool UtcToLocal(os::FileTime utc, os::FileTime& local) override {
    return base_.UtcToLocal(utc, local);
  }
  bool LocalToUtc(os::FileTime local, os::FileTime& utc) override {
    return base_.LocalToUtc(local, utc);
  }
  std::wstring ErrorText(os::ErrorCode code) override { return base_.ErrorText(code); }

 private:
  os::IFileSystem& base_;
  os::ICrypto& crypto_;
  IRunObserver& observer_;
};

// The shell's folder copy: the files it leaves in the destination are reported once it is done.
class ObservingShell final : public os::IShell {
 public:
  ObservingShell(os::IShell& base, os::IFileSystem& fs, os::ICrypto& crypto, IRunObserver& observer)
      : base_(base), fs_(fs), crypto_(crypto), observer_(observer) {}

  int FileOperation(const os::ShellFileOperation& operation) override {
    const int result = base_.FileOperation(operation);
    if (operation.function == kFoCopy) {
      ReportFolderOnDisk(fs_, crypto_, observer_, operation.to);
    }
    return result;
  }

 private:
  os::IShell& base_;
  os::IFileSystem& fs_;
  os::ICrypto& crypto_;
  IRunObserver& observer_;
};

// A document saved to a file ("ReleaseInfo") is reported as the file it left.
class ObservingXmlDocument final : public os::IXmlDocument {
 public:
  ObservingXmlDocument(std::unique_ptr<os::IXmlDocument> inner, os::IFileSystem& fs,
                       os::ICrypto& crypto, IRunObserver& observer)
      : inner_(std::move(inner)), fs_(fs), crypto_(crypto), observer_(observer) {}

  bool Load(const std::wstring& path, os::XmlLoadError& error) override {
    return inner_->Load(path, error);
  }
  bool DocumentElement(std::unique_ptr<os::IXmlNode>& element, std::wstring& error) override {
    return inner_->DocumentElement(element, error);
  }
  bool Save(const std::wstring& path, std::wstring& error) override {
    const bool saved = inner_->Save(path, error);
    if (saved) {
      ReportFileOnDisk(fs_, crypto_, observer_, path);
    }
    return saved;
  }
  bool LoadFromBytes(const std::string& bytes, os::XmlLoadError& error) override {
    return inner_->LoadFromBytes(bytes, error);
  }
  bool SaveToBytes(std::string& bytes, std::wstring& error) override {
    return inner_->SaveToBytes(bytes, error);
  }

 private:
  std::unique_ptr<os::IXmlDocument> inner_;
  os::IFileSystem& fs_;
  os::ICrypto& crypto_;
  IRunObserver& observer_;
};

class ObservingXml final : public os::IXml {
 public:
  ObservingXml(os::IXml& base, os::IFileSystem& fs, os::ICrypto& crypto, IRunObserver& observer)
      : base_(base), fs_(fs), crypto_(crypto), observer_(observer) {}

  std::int32_t ComInitialize() override { return base_.ComInitialize(); }
  void ComUninitialize() override { base_.ComUninitialize(); }
  std::unique_ptr<os::IXmlDocument> CreateDocument(std::wstring& error) override {
    auto document = base_.CreateDocument(error);
    if (!document) {
      return document;
    }
    return std::make_unique<ObservingXmlDocument>(std::move(document), fs_, crypto_, observer_);
  }

 private:
  os::IXml& base_;
  os::IFileSystem& fs_;
  os::ICrypto& crypto_;
  IRunObserver& observer_;
};

// A shell link saved (the desktop shortcut) is reported as the file it left.
class ObservingShellLink final : public os::IShellLinkObject {
 public:
  ObservingShellLink(std::unique_ptr<os::IShellLinkObject> inner, os::IFileSystem& fs,
                     os::ICrypto& crypto, IRunObserver& observer)
      : inner_(std::move(inner)), fs_(fs), crypto_(crypto), observer_(observer) {}

  std::int32_t SetPath(const std::wstring& path) override { return inner_->SetPath(path); }
  std::int32_t SetArguments(const std::wstring& arguments) override {
    return inner_->SetArguments(arguments);
  }
  std::int32_t SetDescription(const std::wstring& description) override {
    return inner_->SetDescription(description);
  }
  std::int32_t SetWorkingDirectory(const std::wstring& folder) override {
    return inner_->SetWorkingDirectory(folder);
  }
  std::int32_t Save(const std::wstring& path, bool remember) override {
    const std::int32_t result = inner_->Save(path, remember);
    if (result == 0) {
      ReportFileOnDisk(fs_, crypto_, observer_, path);
    }
    return result;
  }

 private:
  std::unique_ptr<os::IShellLinkObject> inner_;
  os::IFileSystem& fs_;
  os::ICrypto& crypto_;
  IRunObserver& observer_;
};

class ObservingShellLinks final : public os::IShellLinks {
 public:
  ObservingShellLinks(os::IShellLinks& base, os::IFileSystem& fs, os::ICrypto& crypto,
                      IRunObserver& observer)
      : base_(base), fs_(fs), crypto_(crypto), observer_(observer) {}

  std::unique_ptr<os::IShellLinkObject> Create(std::wstring& error) override {
    auto link = base_.Create(error);
    if (!link) {
      return link;
    }
    return std::make_unique<ObservingShellLink>(std::move(link), fs_, crypto_, observer_);
  }

 private:
  os::IShellLinks& base_;
  os::IFileSystem& fs_;
  os::ICrypto& crypto_;
  IRunObserver& observer_;
};

// A started program: its exit code is told once, when it is first read after the end.
class ObservingProcess final : public os::IProcess {
 public:
  ObservingProcess(std::unique_ptr<os::IProcess> inner, std::wstring commandLine,
                   IRunObserver& observer)
      : inner_(std::move(inner)), commandLine_(std::move(commandLine)), observer_(observer) {}

  std::uint32_t Wait(std::uint32_t milliseconds) override { return inner_->Wait(milliseconds); }
  std::optional<std::uint32_t> ExitCode() override {
    const std::optional<std::uint32_t> code = inner_->ExitCode();
    if (code && *code != kStillActive && !told_) {
      told_ = true;
      observer_.ProgramEnded(commandLine_, *code);
    }
    return code;
  }

 private:
  std::unique_ptr<os::IProcess> inner_;
  std::wstring commandLine_;
  IRunObserver& observer_;
  bool told_ = false;
};

class ObservingProcesses final : public os::IProcesses {
 public:
  ObservingProcesses(os::IProcesses& base, os::IFileSystem& fs, IRunObserver& observer)
      : base_(base), fs_(fs), observer_(observer) {}

  std::unique_ptr<os::IProcess> Create(const os::ProcessStart& start,
                                       os::ErrorCode& error) override {
    std::wstring commandLine(start.commandLine.begin(), start.commandLine.end());
    commandLine.resize(commandLine.find(L'\0') == std::wstring::npos ? commandLine.size()
                                                                     : commandLine.find(L'\0'));
    auto process = base_.Create(start, error);
    if (!process) {
      observer_.ProgramNotStarted(commandLine, fs_.ErrorText(error));
      return process;
    }
    return std::make_unique<ObservingProcess>(std::move(process), std::move(commandLine),
                                              observer_);
  }
  os::ErrorCode SetCurrentFolder(const std::wstring& path) override {
    return base_.SetCurrentFolder(path);
  }
  std::wstring CurrentFolder() override { return base_.CurrentFolder(); }

 private:
  os::IProcesses& base_;
  os::IFileSystem& fs_;
  IRunObserver& observer_;
};

}  // namespace

int ObservingProgress::Add(const std::wstring& text) {
  const int index = inner_.Add(text);
  observer_.ProgressLine(index, text);
  return index;
}

void ObservingProgress::Put(int index, const std::wstring& text) {
  inner_.Put(index, text);
  observer_.ProgressLine(index, text);
}

void ObservingProgress::ShowError(const std::wstring& text) {
  observer_.Error(text);
  inner_.ShowError(text);
}

bool ObservingProgress::Confirm(const std::wstring& text) {
  const bool yes = inner_.Confirm(text);
  observer_.Question(text, yes);
  return yes;
}

void ObservingProgress::FailureReason(const std::wstring& text) {
  observer_.Error(text);
  inner_.FailureReason(text);
}

void ObservingProgress::Warning(const std::wstring& text) {
  observer_.Warning(text);
  inner_.Warning(text);
}

struct ObservedPlatform::Parts {
  Parts(os::Platform& base, IRunObserver& observer)
      : fs(base.fs, base.crypto, observer),
        shell(base.shell, base.fs, base.crypto, observer),
        processes(base.processes, base.fs, observer),
        xml(base.xml, base.fs, base.crypto, observer),
        shellLinks(base.shellLinks, base.fs, base.crypto, observer) {}
  ObservingFileSystem fs;
  ObservingShell shell;
  ObservingProcesses processes;
  ObservingXml xml;
  ObservingShellLinks shellLinks;
};

ObservedPlatform::ObservedPlatform(os::Platform& base, IRunObserver& observer)
    : parts_(std::make_unique<Parts>(base, observer)),
      platform_(std::make_unique<os::Platform>(os::Platform{
          .fs = parts_->fs,
          .profile = base.profile,
          .display = base.display,
          .shell = parts_->shell,
          .system = base.system,
          .locale = base.locale,
          .eventLog = base.eventLog,
          .processes = parts_->processes,
          .xml = parts_->xml,
          .registry = base.registry,
          .shellLinks = parts_->shellLinks,
          .fonts = base.fonts,
          .crypto = base.crypto,
      })) {}

ObservedPlatform::~ObservedPlatform() = default;

}  // namespace engine
