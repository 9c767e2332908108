#pragma once
// The XML double: a small DOM over any file-system seam (the in-memory one in native tests),
// enough for settings documents of elements, attributes, text, comments and a declaration. It
// reads UTF-8 (with or without a byte-order mark) and UTF-16 with its mark, reports malformed
// documents with a reason and a line like the system's parser, and writes the document back
// with its white space, in UTF-8 (UTF-16 when it was read so). Selections understand paths of
// element names only ("/ROOT", "Version", "A/B"); anything else is a fault of the test, thrown
// as std::logic_error. It also counts COM initialisations as one thread's apartment would, and
// refuses to create documents outside one. Not thread-safe.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/FileSystem.h"
#include "os/Xml.h"

namespace os::testing {

class MemoryXml final : public IXml {
 public:
  explicit MemoryXml(IFileSystem& fs);
  ~MemoryXml() override;
  MemoryXml(const MemoryXml&) = delete;
  MemoryXml& operator=(const MemoryXml&) = delete;

  std::int32_t ComInitialize() override;
  void ComUninitialize() override;
  std::unique_ptr<IXmlDocument> CreateDocument(std::wstring& error) override;

  // --- Faults ---
  // ComInitialize answers this failure code (0: works again).
  void FailComInitialize(std::int32_t code) { state_->initFailure = code; }
  // CreateDocument fails, as when the DOM class is not registered.
  void FailCreateDocument(bool fail) { state_->failCreate = fail; }
  // SetTypedValue fails.
  void FailSetTypedValue(bool fail) { state_->failSet = fail; }

  // --- Inspection ---
  // Initialisations not yet paired with an uninitialisation.
  int ComDepth() const { return state_->depth; }
  // Uninitialisations without an initialisation to pair.
  int UnpairedUninitializations() const { return state_->unpaired; }
  // Documents and nodes alive, and those that outlived the apartment they were made in.
  std::size_t LiveObjects() const { return state_->live; }
  std::size_t ObjectsReleasedOutsideCom() const { return state_->releasedOutside; }
  std::size_t DocumentsCreated() const { return state_->created; }
  std::size_t Saves() const { return state_->saves; }

  struct State {
    int depth = 0;
    int unpaired = 0;
    std::int32_t initFailure = 0;
    bool failCreate = false;
    bool failSet = false;
    std::size_t live = 0;
    std::size_t releasedOutside = 0;
    std::size_t created = 0;
    std::size_t saves = 0;
  };

 private:
  IFileSystem& fs_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace os::testing
