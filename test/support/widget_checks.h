#pragma once
// Checks shared by the window tests: how a widget draws, and a modal box driven while it is up.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace veridane::testing {

// The widget's own drawing on white, so that labels inside a window and alone compare alike.
inline QImage Drawn(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

struct ModalRun {
  bool shown = false;         // a Box was the active modal window
  bool guardClosedIt = false;  // it did not close by itself and was taken down
};

// Calls open (which shows a modal Box and returns once it closes); as soon as the box is up,
// whileShown acts on it. Should the box stay up, a guard closes it after a while so that the
// run goes on, and says so.
template <class Box>
ModalRun RunModal(const std::function<void()>& open, const std::function<void(Box&)>& whileShown) {
  ModalRun run;
  QTimer act;
  act.setSingleShot(true);
  QObject::connect(&act, &QTimer::timeout, [&] {
    auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
    if (!box) return;
    run.shown = true;
    if (whileShown) whileShown(*box);
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<Box*>(QApplication::activeModalWidget())) {
      run.guardClosedIt = true;
      box->reject();
    }
  });
  act.start(0);
  guard.start(20000);
  open();
  return run;
}

}  // namespace veridane::testing
