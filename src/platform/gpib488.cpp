#include "platform/gpib488.h"

#include <array>

namespace veridane {

double TimeoutSeconds(int code) {
  static constexpr std::array<double, 18> kSeconds = {0,   10e-6, 30e-6, 100e-6, 300e-6, 1e-3, 3e-3, 10e-3, 30e-3,
                                                      0.1, 0.3,   1,     3,      10,     30,   100,  300,  1000};
  if (code < 0 || code >= static_cast<int>(kSeconds.size())) return 0;
  return kSeconds[code];
}

}  // namespace veridane
