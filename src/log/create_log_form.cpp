#include "log/create_log_form.h"

namespace veridane {

std::string LogNameError(std::string_view name) {
  // The order of the checks is the order the bench PCs have always reported them in.
  static constexpr std::string_view kIllegal = ".\\/:*?\"<>|";
  for (char c : kIllegal) {
    if (name.find(c) == std::string_view::npos) continue;
    if (c == '.') return "Logfile Name must be without extension.";
    return "Logfile Name contains illegal character: " + std::string(1, c) + ".";
  }
  // Control characters cannot be typed into the box but can be pasted; no file system of
  // the bench PCs takes them, and a NUL would cut the name short.
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "Logfile Name contains a control character.";
  return {};
}

void CreateLogForm::SerialChanged(std::string_view text) {
  serial_ = idTicked_ ? std::string(text) : UpperCase1252(text);
  NameChanged(serial_);
}

void CreateLogForm::NameChanged(std::string_view text) {
  name_ = text.substr(0, kMaxNameLength);
}

void CreateLogForm::CheckIdClicked(bool ticked) {
  idTicked_ = ticked;
  idLabel_ = ticked;
  // Emptying the serial box is a change only when it held text; only then does the name follow.
  if (!serial_.empty()) SerialChanged("");
  focusRequest_ = Control::SerialNumber;
}

CreateLogForm::Control CreateLogForm::EnterPressed(Control in) const {
  switch (in) {
    case Control::SerialNumber: return Control::LogFileName;
    case Control::LogFileName: return Control::OperatorName;
    case Control::OperatorName: return Control::Comments;
    case Control::Comments: return OkEnabled() ? Control::OkButton : Control::CancelButton;
    default: return in;
  }
}

bool CreateLogForm::Ok() {
  if (!OkEnabled()) return false;
  std::string error = LogNameError(name_);
  if (!error.empty()) {
    op_.ShowMessBox(error, kOkOnly + kCritical, "Filename Error");
    return false;
  }
  result_ = CreateLogEntries{serial_, name_, operator_, comments_, idTicked_};
  return true;
}

void CreateLogForm::Cancel() { result_.reset(); }

std::optional<CreateLogForm::Control> CreateLogForm::TakeFocusRequest() {
  auto request = focusRequest_;
  focusRequest_.reset();
  return request;
}

}  // namespace veridane
