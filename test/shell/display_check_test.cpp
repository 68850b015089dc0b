#include "shell/display_check.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace veridane {
namespace {

bool ExpectedWith(const std::map<std::string, std::string>& variables) {
  return DisplayExpected([&](const char* name) -> const char* {
    const auto found = variables.find(name);
    return found == variables.end() ? nullptr : found->second.c_str();
  });
}

TEST(DisplayCheck, AnyOfTheThreeVariablesPromisesADisplay) {
  EXPECT_TRUE(ExpectedWith({{"DISPLAY", ":0"}}));
  EXPECT_TRUE(ExpectedWith({{"WAYLAND_DISPLAY", "wayland-0"}}));
  // A platform chosen explicitly (offscreen, vnc) needs no display server.
  EXPECT_TRUE(ExpectedWith({{"QT_QPA_PLATFORM", "offscreen"}}));
}

TEST(DisplayCheck, NoneOrOnlyEmptyValuesMeanNoDisplay) {
  EXPECT_FALSE(ExpectedWith({}));
  EXPECT_FALSE(ExpectedWith({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}}));
  // Other session variables say nothing about a reachable window system.
  EXPECT_FALSE(ExpectedWith({{"XDG_SESSION_TYPE", "x11"}, {"TERM", "xterm"}}));
}

}  // namespace
}  // namespace veridane
