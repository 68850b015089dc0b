// The simulated bus: devices, faults, handles and the calls that move no message bytes.
#include "sim/bus/sim_bus.h"

#include <algorithm>

namespace veridane::sim {

namespace {

// An address a device can be attached at.
bool DeviceAddress(int address) { return address >= 1 && address <= 30; }

}  // namespace

SimBus::SimBus(EventLoop& loop) : loop_(loop) {}

// --- devices and faults ---

bool SimBus::Attach(int address, SimDevice& device) {
  if (!DeviceAddress(address)) return false;
  slots_[address] = Slot{};
  slots_[address].device = &device;
  return true;
}

bool SimBus::Attach(int address, std::unique_ptr<SimDevice> device) {
  if (!DeviceAddress(address) || !device) return false;
  slots_[address] = Slot{};
  slots_[address].device = device.get();
  slots_[address].owned = std::move(device);
  return true;
}

void SimBus::Detach(int address) {
  if (DeviceAddress(address)) slots_[address] = Slot{};
}

SimDevice* SimBus::DeviceAt(int address) const { return DeviceAddress(address) ? slots_[address].device : nullptr; }

void SimBus::SetFaults(int address, const DeviceFaults& faults) {
  if (DeviceAddress(address)) slots_[address].faults = faults;
}

void SimBus::SetSilent(int address, bool silent) {
  if (DeviceAddress(address)) slots_[address].faults.silent = silent;
}

void SimBus::SetSlow(int address, double seconds) {
  if (DeviceAddress(address)) slots_[address].faults.slowSeconds = seconds;
}

void SimBus::SetVanishAfter(int address, int messages) {
  if (DeviceAddress(address)) slots_[address].faults.vanishAfterMessages = messages;
}

void SimBus::SetGarbage(int address, bool garbage) {
  if (DeviceAddress(address)) slots_[address].faults.garbage = garbage;
}

void SimBus::ClearFaults(int address) {
  if (!DeviceAddress(address)) return;
  slots_[address].faults = DeviceFaults{};
  slots_[address].vanished = false;
}

// --- helpers ---

bool SimBus::Present(int address) const {
  return DeviceAddress(address) && slots_[address].device != nullptr && !slots_[address].vanished;
}

void SimBus::TimeOut(const DeviceHandle& handle) {
  loop_.Block(Seconds(TimeoutSeconds(handle.tmo)));
  Fail(kEabo, kTimo);
  Trace("TIMEOUT " + std::to_string(handle.pad));
}

void SimBus::Trace(const std::string& line) const {
  if (trace_) trace_(line);
}

bool SimBus::Listening(int address) {
  if (Present(address)) return true;
  NoListener(address);
  return false;
}

void SimBus::NoListener(int address) {
  Fail(kEnol);
  Trace("NO LISTENER " + std::to_string(address));
}

void SimBus::Clear(int address) {
  Slot& slot = slots_[address];
  slot.output.reset();
  slot.input.clear();
  slot.device->DeviceClear();
  Ok();
  Trace("CLEAR " + std::to_string(address));
}

// --- board calls ---

void SimBus::SendIFC(int board) {
  if (!CheckBoard(board)) return;
  Ok();
  Trace("IFC");
}

void SimBus::ibsre(int board, int value) {
  if (!CheckBoard(board)) return;
  Ok();
  Trace(std::string("REN ") + (value ? "1" : "0"));
}

void SimBus::FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results, int limit) {
  if (!CheckBoard(board)) return;
  if (limit < 1) {
    Fail(kEarg);
    return;
  }
  std::vector<int16_t> answering;
  for (int16_t address : addresses) {
    if (address == kNoAddr) break;
    if (address == 0 || Present(address)) answering.push_back(address);
  }
  std::sort(answering.begin(), answering.end());
  answering.erase(std::unique(answering.begin(), answering.end()), answering.end());

  ListListeners(answering, results, limit);
  std::string line = "FINDLSTN";
  for (size_t i = 0; i < std::min(answering.size(), static_cast<size_t>(limit)); ++i) {
    line += " " + std::to_string(answering[i]);
  }
  Trace(line);
}

void SimBus::DevClear(int board, int address) {
  if (!CheckBoard(board)) return;
  if (!DeviceAddress(address)) {
    Fail(kEarg);
    return;
  }
  if (Listening(address)) Clear(address);
}

// --- handles ---

void SimBus::ibwait(int ud, int mask) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  // Every transfer here completes before its call returns, so a wait that accepts CMPL is
  // over at once; one that accepts only TIMO lasts the timeout.
  if ((mask & kCmpl) == 0 && (mask & kTimo) != 0) {
    loop_.Block(Seconds(TimeoutSeconds(handle->tmo)));
    Ok(kTimo);
    return;
  }
  Ok();
}

void SimBus::ibclr(int ud) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  if (Listening(handle->pad)) Clear(handle->pad);
}

void SimBus::ibrsp(int ud, uint8_t& statusByte) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  if (!Present(handle->pad)) {
    TimeOut(*handle);
    return;
  }
  statusByte = slots_[handle->pad].device->SerialPoll();
  Ok(0, 1);
  Trace("SPOLL " + std::to_string(handle->pad) + " = " + std::to_string(statusByte));
}

void SimBus::ibloc(int ud) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  if (!Listening(handle->pad)) return;
  slots_[handle->pad].device->GoToLocal();
  Ok();
  Trace("LOCAL " + std::to_string(handle->pad));
}

}  // namespace veridane::sim
