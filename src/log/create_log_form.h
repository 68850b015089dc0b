#pragma once
// What the "Create a Logfile" dialog does, without its widgets: the serial number that is
// upper-cased and followed by the file name, the ID mode, OK enabled only with a name, the
// Enter key walking the fields, and the checks on the name before the dialog may close. A Qt
// window (or any other) forwards its events here and shows the state it reads back.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "log/log_format.h"
#include "platform/operator.h"

namespace veridane {

// Why a log name cannot be used, or empty when it can. The name must stay inside the log
// folder and be valid on the bench PCs' file systems too.
std::string LogNameError(std::string_view name);

class CreateLogForm {
 public:
  static constexpr size_t kMaxNameLength = 18;
  static constexpr int kSerialWidthTwips = 795;
  static constexpr int kIdWidthTwips = 1935;

  // The controls in tab order.
  enum class Control { SerialNumber, LogFileName, OperatorName, Comments, OkButton, CancelButton, CheckId };

  explicit CreateLogForm(Operator& op) : op_(op) {}

  // The technician changed a box; the form keeps (and may alter) the text: read it back.
  void SerialChanged(std::string_view text);
  void NameChanged(std::string_view text);
  void OperatorChanged(std::string_view text) { operator_ = text; }
  void CommentsChanged(std::string_view text) { comments_ = text; }
  void CheckIdClicked(bool ticked);

  // Where Enter in the given control moves the focus.
  Control EnterPressed(Control in) const;

  // OK: true when the entries are accepted and the dialog closes; otherwise the reason was
  // shown in a "Filename Error" box and the dialog stays open as it is.
  bool Ok();
  // Cancel, or the window closed from its title bar.
  void Cancel();

  const std::string& Serial() const { return serial_; }
  const std::string& Name() const { return name_; }
  const std::string& OperatorName() const { return operator_; }
  const std::string& Comments() const { return comments_; }
  bool IdTicked() const { return idTicked_; }
  bool OkEnabled() const { return !name_.empty(); }
  const char* SerialLabel() const { return idLabel_ ? "ID: " : "Serial Number: "; }
  int SerialWidthTwips() const { return idLabel_ ? kIdWidthTwips : kSerialWidthTwips; }
  // The focus the form asks for after an event (Check_ID sends it to the serial box).
  std::optional<Control> TakeFocusRequest();

  // After OK: the entries; after Cancel (or before either): none.
  const std::optional<CreateLogEntries>& Result() const { return result_; }

 private:
  Operator& op_;
  std::string serial_;
  std::string name_;
  std::string operator_;
  std::string comments_;
  bool idTicked_ = false;
  bool idLabel_ = false;
  std::optional<Control> focusRequest_;
  std::optional<CreateLogEntries> result_;
};

}  // namespace veridane
