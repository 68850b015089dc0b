#include "ui/qt/qt_log_dialogs.h"

#include "ui/qt/create_log_file_form.h"
#include "ui/qt/open_log_file_form.h"

namespace veridane {

// Each showing is a new window, so each starts empty with OK and Open disabled.
std::optional<CreateLogEntries> QtLogDialogs::CreateLogFileForm() {
  veridane::CreateLogFileForm form(op_, parent_);
  form.exec();
  std::optional<CreateLogEntries> entries = form.Result();
  if (entries && recordHook_) recordHook_(form.RecordResult());
  return entries;
}

std::optional<std::string> QtLogDialogs::OpenLogFileForm(const std::string& folder) {
  veridane::OpenLogFileForm form(folder, parent_);
  form.exec();
  return form.Result();
}

}  // namespace veridane
