#pragma once
// A small device for bus tests: answers its identification query with its identification and
// echoes every other message; it also counts what the controller did to it.
#include <string>
#include <vector>

#include "sim/sim_device.h"

namespace veridane::sim {

class EchoDevice : public SimDevice {
 public:
  // The query is compared without its trailing line ends and regardless of case, as
  // instruments parse their commands. Answers end with terminator.
  EchoDevice(std::string idQuery, std::string idAnswer, std::string terminator = "\n");

  void Receive(std::string_view message) override;
  std::optional<std::string> Respond() override;
  uint8_t SerialPoll() override;
  void DeviceClear() override;
  void GoToLocal() override;

  void SetStatusByte(uint8_t statusByte) { statusByte_ = statusByte; }
  // The last messages received (at most kKeptMessages, oldest first): a device echoing blocks
  // for hours must not keep them all.
  static constexpr size_t kKeptMessages = 16;
  const std::vector<std::string>& Received() const { return received_; }
  int Polls() const { return polls_; }
  int Clears() const { return clears_; }
  int Locals() const { return locals_; }

 private:
  std::string idQuery_;
  std::string idAnswer_;
  std::string terminator_;
  std::optional<std::string> output_;
  std::vector<std::string> received_;
  uint8_t statusByte_ = 0;
  int polls_ = 0;
  int clears_ = 0;
  int locals_ = 0;
};

}  // namespace veridane::sim
