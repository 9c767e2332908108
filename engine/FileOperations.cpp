#include "engine/FileOperations.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "Error.h"
#include "os/DosDateTime.h"
#include "os/FileContent.h"

namespace engine {
namespace {

using os::Access;
using os::Disposition;
using os::ErrorCode;
using os::Share;

// Fills `size` bytes of the buffer; a short read before that is an error (the file shrank).
ErrorCode ReadFully(os::IFile& file, char* buffer, std::uint32_t size) {
  std::uint32_t done = 0;
  while (done < size) {
    std::uint32_t read = 0;
    const ErrorCode error = file.Read(buffer + done, size - done, read);
    if (error != os::error::kSuccess) {
      return error;
    }
    if (read == 0) {
      return os::error::kReadFault;
    }
    done += read;
  }
  return os::error::kSuccess;
}

ErrorCode WriteFully(os::IFile& file, const char* buffer, std::uint32_t size) {
  std::uint32_t done = 0;
  while (done < size) {
    std::uint32_t written = 0;
    const ErrorCode error = file.Write(buffer + done, size - done, written);
    if (error != os::error::kSuccess) {
      return error;
    }
    if (written == 0) {
      return os::error::kWriteFault;
    }
    done += written;
  }
  return os::error::kSuccess;
}

// Which side failed: true for the destination.
struct ContentFailure {
  bool destination = false;
  ErrorCode error = os::error::kSuccess;
};

// Shows the copy's blocks to `onData` on a second thread, one block at a time and in order, so
// that a digest is made while the copy writes that block and reads the next. Up to two blocks are
// in hand: the one being shown and the next, waiting, so that the thread goes on without a pause
// while the copy keeps up. A block given stays unchanged until it has been seen: WaitForRoom
// returns once at most one block is in hand (the buffer of the one before it is free again),
// Wait once none is. An error `onData` raises comes back from the next WaitForRoom or Wait.
class DataThread {
 public:
  explicit DataThread(const CopyDataFn& onData) : onData_(onData), thread_([this] { Work(); }) {}
  DataThread(const DataThread&) = delete;
  DataThread& operator=(const DataThread&) = delete;

  // The blocks in hand are seen before the thread ends.
  ~DataThread() {
    {
      const std::lock_guard lock(mutex_);
      ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void Give(const char* data, std::uint32_t size) {
    {
      const std::lock_guard lock(mutex_);
      blocks_.push_back({data, size});
    }
    changed_.notify_all();
  }

  void WaitForRoom() { WaitUntilAtMost(1); }
  void Wait() { WaitUntilAtMost(0); }

 private:
  struct Block {
    const char* data;
    std::uint32_t size;
  };

  void WaitUntilAtMost(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return blocks_.size() <= count; });
    if (error_) {
      std::rethrow_exception(std::exchange(error_, nullptr));
    }
  }

  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return !blocks_.empty() || ending_; });
      if (blocks_.empty()) {
        return;
      }
      const Block block = blocks_.front();
      lock.unlock();
      std::exception_ptr error;
      try {
        if (!failed_) {
          onData_(block.data, block.size);
        }
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      if (error) {
        error_ = error;
        failed_ = true;  // the blocks after a failed one are not shown
      }
      blocks_.pop_front();
      changed_.notify_all();
    }
  }

  const CopyDataFn& onData_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Block> blocks_;  // in hand: the front one is being shown
  bool ending_ = false;
  bool failed_ = false;  // touched by the thread only
  std::exception_ptr error_;
  std::thread thread_;  // last: it starts once everything above is there
};

bool CopyContent(os::IFile& source, os::IFile& destination, const CopyBlockFn& onBlock,
                 const CopyDataFn& onData, ContentFailure& failure) {
  std::uint64_t total = 0;
  if (const ErrorCode error = source.GetSize(total); error != os::error::kSuccess) {
    failure = {false, error};
    return false;
  }
  std::uint64_t remaining = total;
  const auto bufferSize =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(remaining, kCopyBlockSize));
  // A file of more than one block is shown to `onData` on a second thread, the copy going on
  // meanwhile in the other buffer; a smaller one needs neither.
  const bool overlapped = onData && total > bufferSize;
  const std::unique_ptr<char[]> buffers[2] = {
      std::unique_ptr<char[]>(new char[bufferSize == 0 ? 1 : bufferSize]),
      std::unique_ptr<char[]>(overlapped ? new char[bufferSize] : nullptr)};
  // Declared after the buffers, so that it has done with them before they go.
  std::optional<DataThread> dataThread;
  if (overlapped) {
    dataThread.emplace(onData);
  }
  for (int next = 0; remaining > 0; next = overlapped ? 1 - next : 0) {
    char* const buffer = buffers[next].get();
    const auto block = static_cast<std::uint32_t>(std::min<std::uint64_t>(remaining, bufferSize));
    if (dataThread) {
      dataThread->WaitForRoom();  // the block read into this buffer before has been seen
    }
    if (const ErrorCode error = ReadFully(source, buffer, block); error != os::error::kSuccess) {
      failure = {false, error};
      return false;
    }
    if (dataThread) {
      dataThread->Give(buffer, block);
    } else if (onData) {
      onData(buffer, block);
    }
    if (const ErrorCode error = WriteFully(destination, buffer, block);
        error != os::error::kSuccess) {
      failure = {true, error};
      return false;
    }
    remaining -= block;
    if (onBlock) {
      onBlock(total - remaining, total);
    }
  }
  if (dataThread) {
    dataThread->Wait();
  }
  return true;
}

// The destination's last-write time goes through a local DOS date-time, as archive tools have
// always stamped files: 2-second precision, odd seconds rounded down. Failures leave the time
// the system gave the new file.
void CopyTimeAtDosPrecision(os::IFileSystem& fs, os::IFile& source, os::IFile& destination) {
  os::FileTime utc = 0;
  os::FileTime local = 0;
  os::DosDateTime dos;
  if (source.GetLastWriteTime(utc) != os::error::kSuccess || !fs.UtcToLocal(utc, local) ||
      !os::FileTimeToDos(local, dos)) {
    return;
  }
  if (!os::DosToFileTime(dos, local) || !fs.LocalToUtc(local, utc)) {
    return;
  }
  destination.SetLastWriteTime(utc);
}

bool IsDots(const std::wstring& name) {
  return name == L"." || name == L"..";
}

constexpr std::uint32_t kHiddenOrSystem = os::attr::kHidden | os::attr::kSystem;

std::wstring WithoutTrailingSeparator(std::wstring path) {
  while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) {
    path.pop_back();
  }
  return path;
}

}  // namespace

bool CopySingleFile(os::IFileSystem& fs, const std::wstring& source,
                    const std::wstring& destination, const CopyBlockFn& onBlock,
                    CopyFailure* failure, const CopyDataFn& onData) {
  ErrorCode error = os::error::kSuccess;
  const auto in = fs.Open(source, Access::kRead, Share::kNone, Disposition::kOpenExisting, error);
  if (!in) {
    os::RaiseFileError(fs, L"Cannot open file", source, error);
  }
  const auto out =
      fs.Open(destination, Access::kReadWrite, Share::kNone, Disposition::kCreateAlways, error);
  if (!out) {
    os::RaiseFileError(fs, L"Cannot create file", destination, error);
  }
  ContentFailure why;
  if (!CopyContent(*in, *out, onBlock, onData, why)) {
    if (failure != nullptr) {
      *failure = {why.destination ? destination : source, why.error};
    }
    return false;
  }
  CopyTimeAtDosPrecision(fs, *in, *out);
  return true;
}

void CopyFolderTree(os::IFileSystem& fs, const std::wstring& sourceFolder,
                    const std::wstring& destinationFolder) {
  if (!FolderExists(fs, destinationFolder)) {
    ForceFolders(fs, destinationFolder);
  }
  std::vector<os::FindEntry> entries;
  fs.Find(sourceFolder + L"\\*.*", entries);
  for (const auto& entry : entries) {
    if ((entry.attributes & os::attr::kDirectory) == 0 && !IsDots(entry.name)) {
      fs.SystemCopy(sourceFolder + L"\\" + entry.name, destinationFolder + L"\\" + entry.name,
                    false);
    }
  }
  // Enumerated again, as the folder may have changed; hidden and system entries are not visited.
  entries.clear();
  fs.Find(sourceFolder + L"\\*.*", entries);
  for (const auto& entry : entries) {
    if ((entry.attributes & kHiddenOrSystem) == 0 &&
        (entry.attributes & os::attr::kDirectory) != 0 && !IsDots(entry.name)) {
      CopyFolderTree(fs, sourceFolder + L"\\" + entry.name, destinationFolder + L"\\" + entry.name);
    }
  }
}

void ListSubFolders(os::IFileSystem& fs, const std::wstring& folder,
                    std::vector<std::wstring>& list) {
  std::vector<os::FindEntry> entries;
  fs.Find(folder + L"*", entries);
  for (const auto& entry : entries) {
    if ((entry.attributes & kHiddenOrSystem) == 0 &&
        (entry.attributes & os::attr::kDirectory) != 0 && !IsDots(entry.name) &&
        entry.name != L"WithOutAnswer") {
      list.push_back(folder + entry.name);
    }
  }
}

void SetReadOnlyAttribute(os::IFileSystem& fs, const std::wstring& fileName, bool readOnly) {
  std::uint32_t attributes = fs.GetAttributes(fileName);
  if (attributes == os::attr::kInvalid) {
    return;
  }
  // "Normal" is only reported for a file without other bits; it is not one to write back.
  attributes &= ~os::attr::kNormal;
  if (readOnly) {
    attributes |= os::attr::kReadOnly;
  } else {
    attributes &= ~os::attr::kReadOnly;
  }
  fs.SetAttributes(fileName, attributes);
}

bool ForceFolders(os::IFileSystem& fs, const std::wstring& folder) {
  const std::wstring path = WithoutTrailingSeparator(folder);
  if (path.empty()) {
    return false;
  }
  if (FolderExists(fs, path)) {
    return true;
  }
  const size_t separator = path.find_last_of(L"\\/");
  if (separator != std::wstring::npos && separator > 0) {
    const std::wstring parent = path.substr(0, separator);
    // A drive ("C:") or the start of a network name ends the climb.
    if (!(parent.size() == 2 && parent[1] == L':') && parent != L"\\" &&
        !ForceFolders(fs, parent)) {
      return false;
    }
  }
  return fs.CreateFolder(path) == os::error::kSuccess || FolderExists(fs, path);
}

bool FolderExists(os::IFileSystem& fs, const std::wstring& path) {
  const std::uint32_t attributes = fs.GetAttributes(path);
  return attributes != os::attr::kInvalid && (attributes & os::attr::kDirectory) != 0;
}

bool FileExists(os::IFileSystem& fs, const std::wstring& path) {
  const std::uint32_t attributes = fs.GetAttributes(path);
  return attributes != os::attr::kInvalid && (attributes & os::attr::kDirectory) == 0;
}

}  // namespace engine
