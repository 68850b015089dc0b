// Parlex's window on the simulated bench after a few steps (the scope selected, its ID asked,
// a mistyped command with the syntax check on), for a look under a real display. With a file
// name it saves a picture of the window and ends by itself.
#include <QApplication>
#include <QDir>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <iostream>

#include "parlex/parlex_files.h"
#include "platform/event_loop.h"
#include "platform/settings.h"
#include "sim/bench/bench.h"
#include "ui/qt/manual_form.h"
#include "ui/qt/qt_file_dialogs.h"

namespace {

class QuietOperator : public veridane::Operator {
 public:
  veridane::BoxAnswer ShowMessBox(std::string_view text, int16_t, std::string_view caption) override {
    std::cout << caption << ": " << text << "\n";
    return veridane::kOk;
  }
  void ShowInfo(std::string_view) override {}
  [[noreturn]] void EndProgram() override { throw veridane::ProgramEnded(); }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace veridane;
  QApplication app(argc, argv);
  VirtualClock clock;
  auto bench = sim::Bench::Shipped("default", clock);
  QuietOperator op;
  MemorySettings settings;
  QtFileDialogs dialogs;
  const std::string folder = QDir::tempPath().toStdString() + "/parlex-demo";
  parlex::ParlexSeams seams{bench->Bus(), op, clock, settings, dialogs, folder, {1, 5, 6, 7, 8, 11, 12}, DriverTimeout::ThreeSeconds,
                            " [Simulated bench]"};
  parlex::ParlexRunState state;
  ManualForm form(seams, state);
  form.Presenter().Load();
  form.show();
  form.Presenter().Activate();

  QTest::mouseClick(form.AddressButton(0), Qt::LeftButton);
  QLineEdit* edit = form.SendMessageList()->lineEdit();
  QTest::keyClicks(edit, "id?");
  QTest::keyClick(edit, Qt::Key_Return);
  form.Presenter().SyntaxCheckClose(parlex::kStatusRegistersMethod);
  edit->selectAll();
  QTest::keyClicks(edit, "ch1:scax .5");
  QTest::keyClick(edit, Qt::Key_Return);
  for (int tick = 0; tick < 7; ++tick) form.Presenter().Timer1Tick();

  if (argc > 1) {
    QTimer::singleShot(200, [&] {
      form.grab().save(argv[1]);
      form.done(0);
    });
  }
  form.exec();
  return 0;
}
