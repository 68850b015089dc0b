// The simulated bus: messages to devices and answers back, with the devices' faults.
#include <fstream>
#include <iterator>

#include "platform/file_checks.h"
#include "sim/bus/sim_bus.h"

namespace veridane::sim {

namespace {

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Printable nonsense of the same length; the line end stays so that reads still end.
std::string Garble(const std::string& answer) {
  size_t body = answer.size();
  while (body > 0 && IsLineEnd(answer[body - 1])) --body;
  std::string out = answer;
  for (size_t i = 0; i < body; ++i) {
    auto byte = static_cast<unsigned char>(answer[i]);
    out[i] = static_cast<char>(0x21 + (byte * 7 + i * 13 + 5) % 94);
  }
  return out;
}

}  // namespace

bool SimBus::DeliverMessage(int address, std::string_view data, bool eoi) {
  if (!Present(address)) return false;
  Slot& slot = slots_[address];
  if (slot.faults.vanishAfterMessages >= 0 && slot.messages >= slot.faults.vanishAfterMessages) {
    slot.vanished = true;
    slot.output.reset();
    slot.input.clear();
    return false;
  }
  slot.input.append(data);
  if (!eoi) return true;
  ++slot.messages;
  slot.lastMessageAt = loop_.Now();
  slot.output.reset();
  std::string message = std::move(slot.input);
  slot.input.clear();
  slot.device->Receive(message);
  return true;
}

SimBus::Answer SimBus::PrepareAnswer(int address, const DeviceHandle& handle) {
  Slot& slot = slots_[address];
  if (slot.output) return Answer::kData;
  if (slot.faults.silent) return Answer::kNone;
  // Still busy past the read's timeout: nothing comes now; the answer waits for a later read.
  if (handle.tmo != 0 && slot.device->SecondsUntilReady() > TimeoutSeconds(handle.tmo)) return Answer::kNone;
  std::optional<std::string> answer = slot.device->Respond();
  if (!answer) return Answer::kNone;
  slot.output = slot.faults.garbage ? Garble(*answer) : std::move(*answer);
  double now = loop_.Now();
  slot.readyAt = now;
  if (slot.faults.slowSeconds > 0) {
    slot.readyAt = (slot.messages > 0 ? slot.lastMessageAt : now) + slot.faults.slowSeconds;
  }
  return Answer::kData;
}

bool SimBus::AwaitAnswer(int address, const DeviceHandle& handle) {
  double wait = slots_[address].readyAt - loop_.Now();
  if (wait <= 0) return true;
  double timeout = TimeoutSeconds(handle.tmo);
  if (handle.tmo != 0 && wait > timeout) return false;
  loop_.Block(Seconds(wait));
  return true;
}

void SimBus::ibwrt(int ud, std::string_view data) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  int address = handle->pad;
  if (!DeliverMessage(address, data, handle->eot)) {
    NoListener(address);
    return;
  }
  Ok(0, static_cast<int32_t>(data.size()));
  Trace("W " + std::to_string(address) + " <- " + EscapeControl(data));
}

void SimBus::ibrd(int ud, std::string& buffer) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  int address = handle->pad;
  if (!Present(address) || PrepareAnswer(address, *handle) == Answer::kNone || !AwaitAnswer(address, *handle)) {
    TimeOut(*handle);
    return;
  }
  std::optional<std::string>& output = slots_[address].output;
  size_t n = std::min(buffer.size(), output->size());
  std::copy_n(output->begin(), n, buffer.begin());
  std::string taken = output->substr(0, n);
  output->erase(0, n);
  bool end = output->empty();
  if (end) output.reset();
  Ok(end ? kEnd : 0, static_cast<int32_t>(n));
  Trace("R " + std::to_string(address) + " -> " + EscapeControl(taken));
}

void SimBus::ibrdf(int ud, const std::string& path) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  // The file comes first, as with the driver: a file error leaves the answer on the bus.
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) {
    Fail(kEfso);
    return;
  }
  int address = handle->pad;
  if (!Present(address) || PrepareAnswer(address, *handle) == Answer::kNone || !AwaitAnswer(address, *handle)) {
    TimeOut(*handle);
    return;
  }
  std::string answer = std::move(*slots_[address].output);
  slots_[address].output.reset();
  if (!file.write(answer.data(), static_cast<std::streamsize>(answer.size())) || !file.flush()) {
    Fail(kEfso);
    return;
  }
  Ok(kEnd, static_cast<int32_t>(answer.size()));
  Trace("R " + std::to_string(address) + " -> file " + path + " (" + std::to_string(answer.size()) + " bytes)");
}

}  // namespace veridane::sim
