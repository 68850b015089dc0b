#include "log/log_dialogs.h"

#include "log/create_log_form.h"
#include "log/open_log_form.h"

namespace veridane {

std::optional<CreateLogEntries> PresetLogDialogs::CreateLogFileForm() {
  if (!create_) return std::nullopt;
  // The entries go through the dialog's own events, so a preset answer is held to the same
  // rules as typed ones (upper case, name length, name checks).
  CreateLogForm form(op_);
  form.CheckIdClicked(create_->idMode);
  form.SerialChanged(create_->serial);
  form.NameChanged(create_->name);
  form.OperatorChanged(create_->operatorName);
  form.CommentsChanged(create_->comments);
  if (!form.Ok()) return std::nullopt;
  return form.Result();
}

std::optional<std::string> PresetLogDialogs::OpenLogFileForm(const std::string& folder) {
  if (!open_) return std::nullopt;
  OpenLogForm form(folder);
  const auto& files = form.Files();
  for (size_t i = 0; i < files.size(); ++i)
    if (files[i] == *open_ + ".log") return form.DoubleClick(i);
  return std::nullopt;
}

}  // namespace veridane
