#include "sim/instruments/instrument_device.h"

#include <utility>

namespace veridane::sim {

InstrumentDevice::InstrumentDevice(std::string name, std::string terminator)
    : name_(std::move(name)), terminator_(std::move(terminator)) {}

void InstrumentDevice::Receive(std::string_view message) {
  remote_ = true;
  ++messages_;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.remove_suffix(1);
  Execute(message);
}

std::optional<std::string> InstrumentDevice::Respond() {
  remote_ = true;
  std::optional<std::string> answer = std::move(output_);
  output_.reset();
  return answer;
}

void InstrumentDevice::DeviceClear() {
  output_.reset();
  OnDeviceClear();
}

void InstrumentDevice::Reply(const std::string& text) { output_ = text + terminator_; }

void InstrumentDevice::CommandError(const std::string& what) {
  ++errors_;
  lastError_ = name_ + ": " + what;
}

}  // namespace veridane::sim
