#pragma once
// The program's 8-bit text as a widget takes it: the one place where it becomes a QString.
#include <QString>
#include <string_view>

#include "platform/text8.h"

namespace veridane {

inline QString WidgetText(std::string_view text8) { return QString::fromStdString(Utf8FromText8(text8)); }

}  // namespace veridane
