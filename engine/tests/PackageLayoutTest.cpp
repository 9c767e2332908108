// The package's file sets as the installation copies them.
#include <gtest/gtest.h>

#include <set>

#include "engine/PackageLayout.h"

namespace engine {
namespace {

TEST(PackageLayout, TheWindowsFamilyChoosesTheServerSet) {
  struct Case {
    int family;
    std::size_t count;
    std::wstring_view eighth;
  };
  const Case cases[] = {{0, 12, L"msvcp80.Dll"},
                        {1, 10, L"msvcp71.Dll"},
                        {2, 10, L"msvcp71.Dll"},
                        {-1, 10, L"msvcp71.Dll"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.family);
    const auto set = layout::ServerFiles(c.family);
    ASSERT_EQ(set.size(), c.count);
    EXPECT_EQ(set[7], c.eighth);
    EXPECT_EQ(set[9], L"firebird.msg");
  }
}

TEST(PackageLayout, TheMediumHoldsFourteenServerNames) {
  std::set<std::wstring_view> names;
  for (const int family : {0, 1}) {
    for (const auto name : layout::ServerFiles(family)) {
      names.insert(name);
    }
  }
  EXPECT_EQ(names.size(), 14u);
  // Both families share their first seven files, in the same order.
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(layout::kServerFilesFamily0[i], layout::kServerFilesFamily1[i]);
  }
}

}  // namespace
}  // namespace engine
