// Copy throughput of CopySingleFile against the system's CopyFileW on the same file.
//   copy_bench [size-in-MiB] [rounds]     (defaults: 256 MiB, 5 rounds)
// Prints the best throughput of each and their ratio. The goal is a ratio of at least 0.9.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "Error.h"
#include "engine/FileOperations.h"
#include "os/win32/Handle.h"
#include "os/win32/Win32FileSystem.h"

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

}  // namespace

int main(int argc, char** argv) {
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
