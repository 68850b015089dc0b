#pragma once
// Values in the prompts for hand-set instruments always show a decimal point: a text formed
// without one is formed again with one decimal place (code 1.1).
#include <string>
#include <string_view>

#include "report/format.h"

namespace veridane {

inline std::string FormatWithPoint(float value, std::string_view unit, float code) {
  std::string text = FormatValue(value, unit, code);
  if (text.find('.') == std::string::npos) text = FormatValue(value, unit, 1.1f);
  return text;
}

}  // namespace veridane
