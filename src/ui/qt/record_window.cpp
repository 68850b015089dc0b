#include "ui/qt/record_window.h"

#include <QDir>
#include <QInputDialog>
#include <filesystem>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStringList>

#include "pv/catalogue.h"
#include "record/record_prompts.h"
#include "platform/text8.h"
#include "results/results_recorder.h"
#include "ui/qt/log_record_form.h"
#include "ui/qt/widget_text.h"

namespace veridane {

namespace {

// Swallows Escape on its way to a box whose way out ends the program.
class EscapeIgnored : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) return true;
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

bool CheckStandardsAtStartup(QWidget* parent, Launcher& launcher, Settings& settings, const std::string& standardsFile) {
  Program& program = launcher.program();
  StandardsSource source;
  source.commandLineFile = standardsFile;
  source.shippedText = launcher.bench().StandardsRegisterText();
  source.settingFile = settings.Get("Veridane", "Settings", "StandardsFile", "");
  source.dataFolder = program.DataFolder();
  StandardChooser choose = [parent](const std::string& model, const std::vector<std::string>& assets) {
    QStringList items;
    for (const std::string& asset : assets) items << WidgetText(asset);
    bool ok = false;
    const QString asset = QInputDialog::getItem(
        parent, "Reference Standard",
        WidgetText("The register holds several " + model + ". Which one is on the bench?"), items, 0, false, &ok);
    return ok ? TextFromWidget(asset) : std::string();
  };
  auto goOnAnyway = [parent](const std::string& text) {
    QMessageBox box(QMessageBox::Warning, "Reference Standards", WidgetText(text), QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    box.setDefaultButton(QMessageBox::Cancel);
    // Cancel ends the program: only a click (or Enter on it) gives it, never Escape.
    EscapeIgnored keepOpen;
    box.installEventFilter(&keepOpen);
    return box.exec() == QMessageBox::Ok;
  };
  RunContext record = program.Record();
  std::vector<UncertaintyFigure> figures = program.Run().StandardUncertainties;
  const bool goOn = AskAboutStandards(
      source, BenchInstruments(program.Roles()),
      StandardsPromptSeams{program.Op(), settings, launcher.Choice().text, choose, LocalToday(), goOnAnyway}, record,
      figures);
  program.SetRecord(std::move(record));
  program.SetStandardUncertainties(std::move(figures));
  return goOn;
}

std::function<void()> CertificateMenuCommand(Launcher& launcher, Settings& settings, FileDialogs& dialogs) {
  return [&launcher, &settings, &dialogs] {
    Program& program = launcher.program();
    ResultsRecorder* recorder = launcher.Recorder();
    ResultsStore* store = recorder != nullptr ? recorder->Store() : nullptr;
    if (store == nullptr || !recorder->Working() || recorder->RunIds().empty()) {
      program.Op().ShowMessBox("No result of this session is in the results database yet: run a test first.",
                             kOkOnly + kInformation, "Certificate");
      return;
    }
    // How each test of the run stands on the status list now.
    std::vector<RunTestOutcome> outcomes;
    for (const CatalogueEntry& entry : TestCatalogue()) {
      if (entry.number == kSelfCalEntry || entry.number < 1 || entry.number > program.Run().NumberOfTests) continue;
      outcomes.push_back(RunTestOutcome{entry.number, program.Run().TestName(entry.number),
                                        program.Run().TestStatus[static_cast<size_t>(entry.number)],
                                        program.Run().TestFindings[static_cast<size_t>(entry.number)]});
    }
    CertificateCommand(*store, recorder->RunIds().back(), outcomes,
                       CertificatePromptSeams{program.Op(), dialogs, LabIdentityFromSettings(settings), StoreTimeNow(),
                                              QDir::homePath().toStdString()});
  };
}

void ApplyRecordEntries(Program& program, const LogRecordEntries& entries) {
  RunContext record = program.Record();
  record.label = entries.label;
  record.temperatureC = entries.temperatureC;
  record.humidityPercent = entries.humidityPercent;
  record.customer = entries.customer;
  record.assetId = entries.assetId;
  program.SetRecord(std::move(record));
}

namespace {

LogContext ContextOf(const Program& program, const LogRecordEntries& entries) {
  return LogContext{Trim(program.Log().OperatorText()), entries.customer, entries.assetId, entries.temperatureC,
                    entries.humidityPercent, entries.label};
}

LogRecordEntries EntriesOf(const LogContext& context) {
  return LogRecordEntries{context.label, context.temperatureC, context.humidityPercent, context.customer,
                          context.assetId};
}

}  // namespace

void KeepLogRecord(QWidget* parent, Program& program, const StoreTarget& target, const std::string& logPath,
                   bool created) {
  ResultsStore store(target);
  // A store that is off or cannot be opened keeps nothing: the question is asked empty, and the
  // recorder says what is wrong with the store when the first row goes to it.
  const bool open = target.kind != StoreKind::None && store.Open();
  const std::string key = LogFileKey(logPath);
  if (created) {
    const RunContext& record = program.Record();
    if (open)
      store.SaveLogContext(key,
                           ContextOf(program, LogRecordEntries{record.label, record.temperatureC, record.humidityPercent,
                                                               record.customer, record.assetId}),
                           StoreTimeNow());
    return;
  }
  std::optional<LogRecordEntries> kept;
  if (open)
    if (const std::optional<LogContext> context = store.LogContextOf(key)) kept = EntriesOf(*context);
  LogRecordForm form(program.Op(), std::filesystem::path(logPath).filename().string(), kept, parent);
  form.exec();
  const LogRecordEntries entries = form.Result().value_or(LogRecordEntries{});
  ApplyRecordEntries(program, entries);
  if (open && form.Result()) store.SaveLogContext(key, ContextOf(program, entries), StoreTimeNow());
}

}  // namespace veridane
