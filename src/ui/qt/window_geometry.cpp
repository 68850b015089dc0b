#include "ui/qt/window_geometry.h"

#include <QByteArray>
#include <QEvent>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <string>

#include "platform/settings.h"
#include "shell/version.h"

namespace veridane {

namespace {
constexpr std::string_view kSection = "Settings";

// A title bar and borders, until the window system says what they are.
constexpr QMargins kAssumedFrame(8, 32, 8, 8);

QMargins FrameOf(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  const QMargins known(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                       frame.bottom() - client.bottom());
  return known.isNull() ? kAssumedFrame : known;
}
}  // namespace

void FitWindowInto(QWidget& window, const QRect& area) {
  if (!area.isValid() || window.isMaximized() || window.isFullScreen()) return;
  const QMargins frame = FrameOf(window);
  const QRect room = area.marginsRemoved(frame);
  QSize size = window.size();
  if (size.width() > room.width() || size.height() > room.height()) {
    size = size.boundedTo(room.size()).expandedTo(window.minimumSize());
    window.resize(size);
  }
  // The client's top left, moved so that the frame lies inside the area where it can.
  QPoint at = window.geometry().topLeft();
  at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width())));
  at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height())));
  if (at != window.geometry().topLeft()) window.move(at - QPoint(frame.left(), frame.top()));
}

void FitWindowToScreen(QWidget& window) {
  if (QScreen* screen = window.screen()) FitWindowInto(window, screen->availableGeometry());
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    auto* window = static_cast<QWidget*>(watched);
    const Qt::WindowType type = window->windowType();
    // After the window's own showing: a dialog places itself over its parent only then.
    if (window->isWindow() && (type == Qt::Window || type == Qt::Dialog))
      QMetaObject::invokeMethod(
          window, [window] { FitWindowToScreen(*window); }, Qt::QueuedConnection);
  }
  return QObject::eventFilter(watched, event);
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
