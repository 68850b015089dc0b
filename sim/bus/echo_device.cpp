#include "sim/bus/echo_device.h"

#include "platform/text8.h"

namespace veridane::sim {

namespace {

std::string WithoutLineEnds(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

EchoDevice::EchoDevice(std::string idQuery, std::string idAnswer, std::string terminator)
    : idQuery_(UpperCase(WithoutLineEnds(idQuery))), idAnswer_(std::move(idAnswer)), terminator_(std::move(terminator)) {}

void EchoDevice::Receive(std::string_view message) {
  if (received_.size() == kKeptMessages) received_.erase(received_.begin());
  received_.emplace_back(message);
  std::string text = WithoutLineEnds(message);
  output_ = (UpperCase(text) == idQuery_ ? idAnswer_ : text) + terminator_;
}

std::optional<std::string> EchoDevice::Respond() {
  std::optional<std::string> answer = std::move(output_);
  output_.reset();
  return answer;
}

uint8_t EchoDevice::SerialPoll() {
  ++polls_;
  return statusByte_;
}

void EchoDevice::DeviceClear() {
  ++clears_;
  output_.reset();
}

void EchoDevice::GoToLocal() { ++locals_; }

}  // namespace veridane::sim
