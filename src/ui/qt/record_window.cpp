#include "ui/qt/record_window.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

#include "pv/catalogue.h"
#include "record/record_prompts.h"
#include "results/results_recorder.h"
#include "ui/qt/widget_text.h"

namespace veridane {

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
    box.setEscapeButton(QMessageBox::Cancel);
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
                       CertificatePromptSeams{program.Op(), dialogs, LabIdentityFromSettings(settings), StoreTimeNow()});
  };
}

}  // namespace veridane
