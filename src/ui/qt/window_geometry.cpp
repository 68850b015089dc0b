#include "ui/qt/window_geometry.h"

#include <QByteArray>
#include <QWidget>
#include <string>

#include "platform/settings.h"
#include "shell/version.h"

namespace veridane {

namespace {
constexpr std::string_view kSection = "Settings";
}

void RestoreWindowGeometry(QWidget& window, const Settings& settings) {
  const std::string text = settings.Get(kShortAppName, kSection, kWindowGeometryKey, "");
  if (text.empty()) return;
  const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(text),
                                                      QByteArray::AbortOnBase64DecodingErrors);
  if (decoded) window.restoreGeometry(*decoded);
}

void SaveWindowGeometry(const QWidget& window, Settings& settings) {
  settings.Save(kShortAppName, kSection, kWindowGeometryKey, window.saveGeometry().toBase64().toStdString());
}

}  // namespace veridane
