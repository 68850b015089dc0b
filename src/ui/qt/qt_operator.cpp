#include "ui/qt/qt_operator.h"

#include <QApplication>
#include <QCursor>

#include "ui/qt/guide_form.h"
#include "ui/qt/mess_box.h"

namespace veridane {

QtOperator::QtOperator(QWidget* mainWindow) : mainWindow_(mainWindow), info_(std::make_unique<InfoForm>(mainWindow)) {}

QtOperator::~QtOperator() { SetBusy(false); }

void QtOperator::SetMainWindow(QWidget* mainWindow) {
  mainWindow_ = mainWindow;
  info_->SetAnchor(mainWindow);
}

void QtOperator::ShowMainWindowFirst() {
  // A prompt during start-up would otherwise float over nothing: the main window comes up
  // with it (menus still locked), and the box's own event loop draws both.
  if (mainWindow_ && !mainWindow_->isVisible()) mainWindow_->show();
}

BoxAnswer QtOperator::ShowMessBox(std::string_view text, int16_t style, std::string_view caption) {
  ShowMainWindowFirst();
  // The hourglass would hide that the program is waiting for an answer.
  const bool wasBusy = busy_;
  SetBusy(false);
  // The info window is a progress note; it must not cover the question (e.g. a reset prompt
  // during "Please wait while the program shuts down."). It comes back after the answer.
  const bool infoShown = info_->isVisible();
  if (infoShown) info_->hide();
  MessBox box(text, style, caption, mainWindow_.data());
  if (underWay_ && underWay_()) box.KeepWayOutFromEscape();
  // A prompt that comes up while the technician reads the guide leaves the keyboard there.
  if (auto* guide = qobject_cast<GuideForm*>(QApplication::activeWindow()); guide != nullptr && guide->isVisible())
    box.WaitBeside(guide);
  const BoxAnswer answer = box.Run();
  if (infoShown && !info_->Text().empty()) info_->show();
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
