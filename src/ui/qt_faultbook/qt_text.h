#pragma once
// The program's 8-bit text as these windows' widgets take it, and back.
#include <QString>
#include <string>
#include <string_view>

#include "platform/text8.h"

namespace veridane::faultbook_ui {

inline QString ToQString(std::string_view text8) { return QString::fromStdString(Utf8FromText8(text8)); }
inline std::string FromQString(const QString& text) { return Text8FromUtf8(text.toStdString()); }

}  // namespace veridane::faultbook_ui
