#include "shell/display_check.h"

namespace veridane {

bool DisplayExpected(const EnvironmentLookup& environment) {
  for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
    const char* value = environment(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace veridane
