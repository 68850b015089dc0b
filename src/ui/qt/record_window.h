#pragma once
// The calibration record in the window: the reference-standards box at start-up (and the
// choice among entries of one model), File > Certificate..., and what a result log's runs are
// recorded with beyond its header (kept with the log in the results store).
#include <functional>
#include <string>

#include "platform/file_dialogs.h"
#include "platform/settings.h"
#include "shell/launcher.h"
#include "ui/qt/create_log_file_form.h"

class QWidget;

namespace veridane {

// After start-up found the instruments; `standardsFile` is --standards (empty: the usual places).
// False when the technician chose Cancel: the program ends.
bool CheckStandardsAtStartup(QWidget* parent, Launcher& launcher, Settings& settings, const std::string& standardsFile);

std::function<void()> CertificateMenuCommand(Launcher& launcher, Settings& settings, FileDialogs& dialogs);

// The record's entries of Create Log File (or of the question below) become the program's
// record for the runs that follow.
void ApplyRecordEntries(Program& program, const LogRecordEntries& entries);

// A result log was created (`created`) or opened again to append to it: a created log's record
// is kept with it in the store at `target`; an opened one's is offered again in LogRecordForm
// (empty when nothing was kept or the store is off), applied and kept as answered.
void KeepLogRecord(QWidget* parent, Program& program, const StoreTarget& target, const std::string& logPath,
                   bool created);

}  // namespace veridane
