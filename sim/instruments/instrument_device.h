#pragma once
// What every bench instrument on the simulated bus shares: it takes whole messages, keeps at
// most one answer ready for the controller to read (a new query replaces an unread answer, a
// device clear drops it), counts the commands it could not execute, and knows whether it is in
// remote (addressed since the last go-to-local).
#include <optional>
#include <string>
#include <string_view>

#include "sim/sim_device.h"

namespace veridane::sim {

class InstrumentDevice : public SimDevice {
 public:
  // `name` is the instrument's display name (traces, errors); `terminator` ends every answer.
  InstrumentDevice(std::string name, std::string terminator);

  void Receive(std::string_view message) final;
  std::optional<std::string> Respond() override;
  void DeviceClear() override;
  void GoToLocal() override { remote_ = false; }

  const std::string& Name() const { return name_; }
  bool Remote() const { return remote_; }
  int MessagesReceived() const { return messages_; }
  // Commands rejected (unknown, bad argument, out of range) since construction.
  int CommandErrors() const { return errors_; }
  const std::string& LastError() const { return lastError_; }

 protected:
  virtual void Execute(std::string_view message) = 0;
  // A device clear also resets what the instrument was parsing; most keep their settings.
  virtual void OnDeviceClear() {}

  void Reply(const std::string& text);
  // Records the error; the caller drops the rest of the message, as the instruments do.
  void CommandError(const std::string& what);

 private:
  std::string name_;
  std::string terminator_;
  std::optional<std::string> output_;
  bool remote_ = false;
  int messages_ = 0;
  int errors_ = 0;
  std::string lastError_;
};

}  // namespace veridane::sim
