#pragma once
// The program's 8-bit text as a widget takes it, and back: the one place where it meets QString.
#include <QString>
#include <string>
#include <string_view>

#include "platform/text8.h"

namespace veridane {

inline QString WidgetText(std::string_view text8) { return QString::fromStdString(Utf8FromText8(text8)); }
// What a widget holds, back in the program's 8-bit text.
inline std::string TextFromWidget(const QString& text) { return Text8FromUtf8(text.toStdString()); }

}  // namespace veridane
