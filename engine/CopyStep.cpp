#include "engine/CopyStep.h"

#include "engine/FileOperations.h"
#include "engine/ProgressLines.h"

namespace engine {

bool CopyFileStep(IInstallProgress& progress, os::IFileSystem& fs, const std::wstring& fileName,
                  const std::wstring& source, const std::wstring& destination,
                  const MediumDigests* digests) {
  const int line = progress.Add(lines::CopyingFile(fileName));
  progress.ProcessMessages();
  CopyFailure failure;
  const bool copied = CopyMediumFile(
      fs, digests, source, destination,
      [&progress, line](std::uint64_t done, std::uint64_t total) {
        progress.CopyProgress(line, done, total);
      },
      &failure);
  CompleteLine(progress, line, copied ? lines::kDone : lines::kFailed);
  if (!copied) {
    progress.FailureReason(FailureText(fs, failure.path, failure.error));
  }
  return copied;
}

}  // namespace engine
