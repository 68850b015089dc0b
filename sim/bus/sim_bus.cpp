// The simulated bus: devices, faults, handles and the calls that move no message bytes.
#include "sim/bus/sim_bus.h"

#include <algorithm>

namespace veridane::sim {

namespace {

constexpr int kMaxAddress = 30;
constexpr int kIbaPad = 1;  // ibask option: primary address

bool ValidAddress(int address) { return address >= 1 && address <= kMaxAddress; }

}  // namespace

SimBus::SimBus(EventLoop& loop) : loop_(loop) {}

// --- devices and faults ---

bool SimBus::Attach(int address, SimDevice& device) {
  if (!ValidAddress(address)) return false;
  slots_[address] = Slot{};
  slots_[address].device = &device;
  return true;
}

bool SimBus::Attach(int address, std::unique_ptr<SimDevice> device) {
  if (!ValidAddress(address) || !device) return false;
  slots_[address] = Slot{};
  slots_[address].device = device.get();
  slots_[address].owned = std::move(device);
  return true;
}

void SimBus::Detach(int address) {
  if (ValidAddress(address)) slots_[address] = Slot{};
}

SimDevice* SimBus::DeviceAt(int address) const { return ValidAddress(address) ? slots_[address].device : nullptr; }

void SimBus::SetFaults(int address, const DeviceFaults& faults) {
  if (ValidAddress(address)) slots_[address].faults = faults;
}

void SimBus::SetSilent(int address, bool silent) {
  if (ValidAddress(address)) slots_[address].faults.silent = silent;
}

void SimBus::SetSlow(int address, double seconds) {
  if (ValidAddress(address)) slots_[address].faults.slowSeconds = seconds;
}

void SimBus::SetVanishAfter(int address, int messages) {
  if (ValidAddress(address)) slots_[address].faults.vanishAfterMessages = messages;
}

void SimBus::SetGarbage(int address, bool garbage) {
  if (ValidAddress(address)) slots_[address].faults.garbage = garbage;
}

void SimBus::ClearFaults(int address) {
  if (!ValidAddress(address)) return;
  slots_[address].faults = DeviceFaults{};
  slots_[address].vanished = false;
}

// --- helpers ---

SimBus::Handle* SimBus::Find(int ud) {
  auto it = handles_.find(ud);
  if (it != handles_.end()) return &it->second;
  Fail(kEdvr);
  return nullptr;
}

bool SimBus::Present(int address) const {
  return ValidAddress(address) && slots_[address].device != nullptr && !slots_[address].vanished;
}

void SimBus::Ok(int32_t bits, int32_t count) {
  // iberr keeps its last value, as the driver's does: it means something only with ERR.
  status_.ibsta = kCmpl | bits;
  status_.ibcntl = count;
}

void SimBus::Fail(int iberr, int32_t bits) { status_ = {kErr | kCmpl | bits, iberr, 0}; }

void SimBus::TimeOut(const Handle& handle) {
  loop_.Block(Seconds(TimeoutSeconds(handle.tmo)));
  Fail(kEabo, kTimo);
  Trace("TIMEOUT " + std::to_string(handle.pad));
}

void SimBus::Trace(const std::string& line) const {
  if (trace_) trace_(line);
}

bool SimBus::CheckBoard(int board) {
  if (board == 0) return true;
  Fail(kEneb);
  return false;
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

  if (results.size() < static_cast<size_t>(limit)) results.resize(limit, 0);
  size_t stored = std::min(answering.size(), static_cast<size_t>(limit));
  std::copy_n(answering.begin(), stored, results.begin());
  if (stored < static_cast<size_t>(limit)) results[stored] = 0;

  std::string line = "FINDLSTN";
  for (size_t i = 0; i < stored; ++i) line += " " + std::to_string(answering[i]);
  Trace(line);

  bool instrument = std::any_of(answering.begin(), answering.end(), [](int16_t a) { return a != 0; });
  if (!instrument) {
    Fail(kEbus);  // the board hearing itself is no listener
  } else if (answering.size() > static_cast<size_t>(limit)) {
    Fail(kEtab);
    status_.ibcntl = static_cast<int32_t>(stored);
  } else {
    Ok(0, static_cast<int32_t>(stored));
  }
}

void SimBus::DevClear(int board, int address) {
  if (!CheckBoard(board)) return;
  if (!ValidAddress(address)) {
    Fail(kEarg);
    return;
  }
  if (Listening(address)) Clear(address);
}

// --- handles ---

int SimBus::ibdev(int board, int pad, int /*sad*/, int tmo, int eot, int /*eos*/) {
  if (!CheckBoard(board)) return -1;
  if (pad < 0 || pad > kMaxAddress || tmo < 0 || tmo > 17) {
    Fail(kEarg);
    return -1;
  }
  int ud = nextHandle_++;
  handles_[ud] = Handle{pad, tmo, eot != 0};
  Ok();
  return ud;
}

void SimBus::ibpad(int ud, int pad) {
  Handle* handle = Find(ud);
  if (!handle) return;
  if (pad < 0 || pad > kMaxAddress) {
    Fail(kEarg);
    return;
  }
  handle->pad = pad;
  Ok();
}

void SimBus::ibtmo(int ud, int code) {
  Handle* handle = Find(ud);
  if (!handle) return;
  if (code < 0 || code > 17) {
    Fail(kEarg);
    return;
  }
  handle->tmo = code;
  Ok();
}

void SimBus::ibask(int ud, int option, int& value) {
  Handle* handle = Find(ud);
  if (!handle) return;
  if (option == kIbaTmo) {
    value = handle->tmo;
  } else if (option == kIbaPad) {
    value = handle->pad;
  } else {
    Fail(kEarg);
    return;
  }
  Ok();
}

void SimBus::ibwait(int ud, int mask) {
  Handle* handle = Find(ud);
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
  Handle* handle = Find(ud);
  if (!handle) return;
  if (Listening(handle->pad)) Clear(handle->pad);
}

void SimBus::ibrsp(int ud, uint8_t& statusByte) {
  Handle* handle = Find(ud);
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
  Handle* handle = Find(ud);
  if (!handle) return;
  if (!Listening(handle->pad)) return;
  slots_[handle->pad].device->GoToLocal();
  Ok();
  Trace("LOCAL " + std::to_string(handle->pad));
}

}  // namespace veridane::sim
