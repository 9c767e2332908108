#pragma once
// A scripted double of the font seam for native tests. Each font file path (compared without
// letter case) may be given a title; AddFontFile of such a path adds one font, of any other
// path none. GetFontResourceInfoW is present unless switched off, and answers with the title and
// its terminating zero, as Windows does, or fails for a path that gives no font. Every call is
// logged in order, as "Add <path>", "Remove <path>", "Broadcast", "HasInfo" and
// "Info <path> <size> <buffer|null>".
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "os/Fonts.h"

namespace os::testing {

class FakeFonts final : public IFonts {
 public:
  int AddFontFile(const std::wstring& path) override;
  bool RemoveFontFile(const std::wstring& path) override;
  void BroadcastFontChange() override;
  bool HasFontResourceInfo() override;
  bool FontResourceInfo(const std::wstring& path, std::uint32_t& size, void* buffer,
                        std::uint32_t type) override;

  // --- Set-up ---
  void SetTitle(const std::wstring& path, std::wstring title);
  // Older systems without the query: HasFontResourceInfo false, FontResourceInfo fails.
  void SetInfoAvailable(bool available) { infoAvailable_ = available; }
  // The query reports this size (in bytes) for every path, and a second call with a buffer
  // fails, as a query that cannot read the font does.
  void ScriptInfoSize(std::optional<std::uint32_t> bytes) { scriptedSize_ = bytes; }

  // --- Inspection ---
  const std::vector<std::wstring>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // Font resources added and not removed again, per path as it was given.
  int Loaded(const std::wstring& path) const;

 private:
  std::map<std::wstring, std::wstring> titles_;  // by folded path
  std::map<std::wstring, int> loaded_;           // by folded path
  std::vector<std::wstring> calls_;
  bool infoAvailable_ = true;
  std::optional<std::uint32_t> scriptedSize_;
};

}  // namespace os::testing
