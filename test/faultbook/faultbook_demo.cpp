// Faultbook's window on a shipped simulated bench, for a look at the real thing:
//   faultbook_demo [bench] [--screenshot file.png]
// With a screenshot file the window saves its picture once the log is read and closes.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <iostream>
#include <string>

#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "platform/operator.h"
#include "platform/paths.h"
#include "scope/scope_identity.h"
#include "sim/bench/bench.h"
#include "ui/qt/error_log_form.h"

namespace {

// The demo's technician answers every question with Yes and reports it on the console.
class ConsoleYes : public veridane::Operator {
 public:
  veridane::BoxAnswer ShowMessBox(std::string_view text, int16_t, std::string_view caption) override {
    std::cout << "[" << caption << "] " << text << "\n";
    return veridane::kYes;
  }
  void ShowInfo(std::string_view) override {}
  [[noreturn]] void EndProgram() override { throw veridane::ProgramEnded(); }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace veridane;
  QApplication app(argc, argv);
  std::string benchName = "selfcal-fault";
  std::string screenshot;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--screenshot" && i + 1 < argc)
      screenshot = argv[++i];
    else
      benchName = arg;
  }
  VirtualClock loop;  // the bus waits pass at once
  ConsoleYes op;
  auto bench = sim::Bench::Open(benchName, loop);
  GpibBus bus(bench->Bus(), op, loop);
  bus.GpibInit(1);
  ScopeIdentity scope;
  scope.ScopeDevice = bus.FindDevice("ID?", "TDS");
  ScopeControl(bus, op, scope).IdentifyScope();
  const Paths paths(QDir::tempPath().toStdString(), true);
  ErrorLogForm form(FaultbookSeams{Faultbook(bus, scope), op, paths, " [Simulated bench]"});
  if (!screenshot.empty()) {
    QTimer::singleShot(300, &form, [&] {
      form.grab().save(QString::fromStdString(screenshot));
      form.close();
    });
  }
  form.exec();
  return 0;
}
