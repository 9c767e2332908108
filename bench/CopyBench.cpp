// Copy throughput of CopySingleFile against the system's CopyFileW on the same file.
//   copy_bench [size-in-MiB] [rounds]     (defaults: 256 MiB, 5 rounds)
// Prints the best throughput of each and their ratio. The goal is a ratio of at least 0.9.
//   copy_bench --manifest [size-in-MiB] [rounds]     (defaults: 1024 MiB, 7 rounds)
// The same file copied as an installation copies a medium's database, with the medium's manifest
// (hashed as it is copied) and without, in alternating rounds; prints the medians, their ratio
// (goal: at most 1.15), the median of the copy followed by the digest (as one thread would do
// both) and the throughput of SHA-256 alone.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "Error.h"
#include "engine/FileOperations.h"
#include "engine/MediumCopy.h"
#include "engine/MediumManifest.h"
#include "os/win32/Handle.h"
#include "os/win32/Win32Crypto.h"
#include "os/win32/Win32FileSystem.h"
#include "text/Utf.h"

namespace {

using Clock = std::chrono::steady_clock;

bool MakeSourceFile(const std::wstring& path, std::uint64_t size) {
  os::win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return false;
  }
  std::vector<unsigned char> block(1024 * 1024);
  std::uint32_t state = 12345;
  for (std::uint64_t written = 0; written < size; written += block.size()) {
    for (auto& byte : block) {
      state = state * 1103515245u + 12345u;
      byte = static_cast<unsigned char>(state >> 24);
    }
    DWORD done = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::uint64_t>(block.size(), size - written));
    if (!::WriteFile(file.Get(), block.data(), chunk, &done, nullptr) || done != chunk) {
      return false;
    }
  }
  return true;
}

template <typename Copy>
double SecondsOf(Copy copy) {
  const auto start = Clock::now();
  if (!copy()) {
    std::fprintf(stderr, "copy failed\n");
    std::exit(2);
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// A copy into a target folder from a medium folder with and without its manifest.
int WithManifest(std::uint64_t mebibytes, int rounds) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring medium = std::wstring(temp) + L"virelta-bench-medium\\";
  const std::wstring target = std::wstring(temp) + L"virelta-bench-target.fdb";
  ::CreateDirectoryW(medium.c_str(), nullptr);
  const std::wstring source = medium + L"R40.FDB";
  if (!MakeSourceFile(source, mebibytes * 1024 * 1024)) {
    std::fprintf(stderr, "cannot write the source file\n");
    return 2;
  }
  os::win32::Win32FileSystem fs;
  os::win32::Win32Crypto crypto;
  std::wstring error;
  const auto hashStart = Clock::now();
  const auto digest = engine::FileDigest(fs, crypto, source, error);
  const double hashSeconds = std::chrono::duration<double>(Clock::now() - hashStart).count();
  if (!digest) {
    std::fprintf(stderr, "cannot hash the source file\n");
    return 2;
  }
  const std::string manifestText = text::ToUtf8(engine::DigestHex(*digest)) + "  R40.FDB\n";
  auto manifest = engine::MediumManifest::Parse(manifestText, error);
  if (!manifest) {
    std::fprintf(stderr, "cannot make the manifest\n");
    return 2;
  }
  const engine::MediumDigests digests{std::move(*manifest), crypto, medium};
  std::vector<double> checked;
  std::vector<double> plain;
  std::vector<double> serial;  // the copy, then the digest: one after the other on one thread
  try {
    for (int round = 0; round < rounds; ++round) {
      checked.push_back(
          SecondsOf([&] { return engine::CopyMediumFile(fs, &digests, source, target); }));
      plain.push_back(
          SecondsOf([&] { return engine::CopyMediumFile(fs, nullptr, source, target); }));
      serial.push_back(SecondsOf([&] {
        return engine::CopyMediumFile(fs, nullptr, source, target) &&
               engine::FileDigest(fs, crypto, source, error).has_value();
      }));
    }
  } catch (const OperatorError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
  ::DeleteFileW(source.c_str());
  ::DeleteFileW(target.c_str());
  ::RemoveDirectoryW(medium.c_str());
  const double mib = static_cast<double>(mebibytes);
  std::printf("file: %llu MiB, rounds: %d alternating (medians)\n",
              static_cast<unsigned long long>(mebibytes), rounds);
  for (int round = 0; round < rounds; ++round) {
    std::printf("round %d: with %.2f s, without %.2f s, one after the other %.2f s\n", round + 1,
                checked[round], plain[round], serial[round]);
  }
  std::printf("with the manifest:    %8.2f s (%.1f MiB/s)\n", Median(checked),
              mib / Median(checked));
  std::printf("without the manifest: %8.2f s (%.1f MiB/s)\n", Median(plain), mib / Median(plain));
  std::printf("copy, then digest:    %8.2f s\n", Median(serial));
  std::printf("SHA-256 alone:        %8.2f s (%.1f MiB/s)\n", hashSeconds, mib / hashSeconds);
  std::printf("ratio:                %8.3f (goal: at most 1.15)\n",
              Median(checked) / Median(plain));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--manifest") {
    return WithManifest(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024,
                        argc > 3 ? std::atoi(argv[3]) : 7);
  }
  const std::uint64_t mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = temp;
  const std::wstring source = folder + L"virelta-bench-source.bin";
  const std::wstring byEngine = folder + L"virelta-bench-engine.bin";
  const std::wstring bySystem = folder + L"virelta-bench-system.bin";
  const std::uint64_t size = mebibytes * 1024 * 1024;
  if (!MakeSourceFile(source, size)) {
    std::fprintf(stderr, "cannot write the source file\n");
    return 2;
  }

  os::win32::Win32FileSystem fs;
  std::vector<double> engine;
  std::vector<double> system;
  try {
    for (int round = 0; round < rounds; ++round) {
      // Alternating, so that both see the same state of the caches.
      engine.push_back(SecondsOf([&] { return engine::CopySingleFile(fs, source, byEngine); }));
      system.push_back(
          SecondsOf([&] { return ::CopyFileW(source.c_str(), bySystem.c_str(), FALSE) != FALSE; }));
    }
  } catch (const OperatorError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
  ::DeleteFileW(source.c_str());
  ::DeleteFileW(byEngine.c_str());
  ::DeleteFileW(bySystem.c_str());

  const double bestEngine = *std::min_element(engine.begin(), engine.end());
  const double bestSystem = *std::min_element(system.begin(), system.end());
  const double mib = static_cast<double>(mebibytes);
  std::printf("file: %llu MiB, rounds: %d (best of each)\n",
              static_cast<unsigned long long>(mebibytes), rounds);
  std::printf("CopySingleFile: %8.1f MiB/s\n", mib / bestEngine);
  std::printf("CopyFileW:      %8.1f MiB/s\n", mib / bestSystem);
  std::printf("ratio:          %8.3f (goal: at least 0.9)\n", bestSystem / bestEngine);
  return 0;
}
