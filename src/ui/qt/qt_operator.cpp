#include "ui/qt/qt_operator.h"

#include <QApplication>
#include <QCursor>

#include "ui/qt/mess_box.h"

namespace veridane {

QtOperator::QtOperator(QWidget* mainWindow) : mainWindow_(mainWindow), info_(std::make_unique<InfoForm>(mainWindow)) {}

QtOperator::~QtOperator() { SetBusy(false); }

void QtOperator::SetMainWindow(QWidget* mainWindow) {
  mainWindow_ = mainWindow;
  info_->SetAnchor(mainWindow);
}

int16_t QtOperator::ShowMessBox(std::string_view text, int16_t style, std::string_view caption) {
  // The hourglass would hide that the program is waiting for an answer.
  const bool wasBusy = busy_;
  SetBusy(false);
  MessBox box(text, style, caption, mainWindow_.data());
  const int16_t answer = box.Run();
  SetBusy(wasBusy);
  return answer;
}

void QtOperator::ShowInfo(std::string_view text) { info_->ShowInfo(text); }

void QtOperator::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  else
    QApplication::restoreOverrideCursor();
}

void QtOperator::EndProgram() { throw ProgramEnded(); }

}  // namespace veridane
