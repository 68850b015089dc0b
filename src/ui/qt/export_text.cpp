#include "ui/qt/export_text.h"

#include <filesystem>
#include <fstream>

#include "platform/paths.h"
#include "platform/text8.h"
#include "results/log_text_export.h"

namespace veridane {

namespace {
constexpr const char* kCaption = "Export as Text";
}  // namespace

void ExportLogAsText(const ExportTextSeams& seams) {
  std::string log = seams.openLog;
  if (log.empty()) {
    // The model's folder, else the data folder that holds every model's.
    std::string folder = seams.logFolder;
    if (!FolderExists(folder)) folder = std::filesystem::path(folder).parent_path().string();
    std::optional<std::string> picked =
        seams.dialogs.OpenFile({kCaption, folder, "", "Log Files (*.log)|*.log|All Files (*.*)|*.*"});
    if (!picked) return;
    log = *picked;
  }
  const std::filesystem::path logPath(log);
  std::optional<std::string> target = seams.dialogs.SaveFile(
      {kCaption, logPath.parent_path().string(), logPath.stem().string() + ".txt", "Text Files (*.txt)|*.txt"});
  if (!target) return;

  LogTextExport exported;
  std::string error;
  if (!ExportLogText(log, seams.store, exported, error)) {
    seams.op.ShowMessBox(error, kOkOnly + kCritical, kCaption);
    return;
  }
  std::ofstream out(*target, std::ios::binary | std::ios::trunc);
  out << exported.text;
  out.close();
  if (!out) {
    seams.op.ShowMessBox("The text could not be written to\n" + Text8FromUtf8(*target), kOkOnly + kExclamation,
                         kCaption);
    return;
  }
  if (!exported.note.empty()) seams.op.ShowMessBox(exported.note, kOkOnly + kInformation, kCaption);
}

}  // namespace veridane
