#include "shell/version.h"

#include <gtest/gtest.h>

namespace veridane {
namespace {

TEST(VersionString, RevisionAppendedAndOneTrailingZeroDropped) {
  EXPECT_EQ(VersionStringFor(1, 1, 0), "1.1");
  EXPECT_EQ(VersionStringFor(1, 1, 5), "1.15");
  EXPECT_EQ(VersionStringFor(2, 0, 0), "2.0");
  EXPECT_EQ(VersionStringFor(1, 2, 10), "1.21");
  EXPECT_EQ(VersionStringFor(1, 10, 0), "1.10");  // only the one trailing "0" goes
  EXPECT_EQ(VersionStringFor(3, 4, 7), "3.47");
}

TEST(MainTitle, CaptionText) {
  EXPECT_EQ(MainTitleFor("1.1"), "Veridane, v1.1 - Feb 2025 / QZ");
  EXPECT_EQ(MainTitle(), "Veridane, v" + VersionString() + " - Feb 2025 / QZ");
  EXPECT_EQ(ModuleVersionText(), "2025-02-21 - v" + VersionString());
}

}  // namespace
}  // namespace veridane
