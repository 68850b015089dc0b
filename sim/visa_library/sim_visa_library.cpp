// A VISA library made of the simulated bench: the VISA calls a GPIB program makes
// (viOpenDefaultRM, viOpen of "GPIB0::pad[::sad]::INSTR" and "GPIB0::INTFC", viRead, viWrite,
// viReadSTB, viClear, viSetAttribute for the timeout and END, viGpibControlREN,
// viGpibSendIFC, and viFindRsrc/viFindNext of "GPIB0::?*INSTR", which lists the bus's
// listeners as a vendor's VISA finds them) played on the bench's bus, so that the program's
// VISA back end is run the way it runs on a lab's vendor VISA.
//
// The bench is chosen by the environment, as for the simulated board library
// (sim/bench/environment_bench.h: VERIDANE_SIM_BENCH, VERIDANE_SIM_DATA).
// It runs on the real clock. Board 0 is the bench; any other board is not found.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "sim/bench/environment_bench.h"

namespace {

using ViStatus = int32_t;
using ViSession = uint32_t;

constexpr ViStatus kViSuccess = 0;
constexpr ViStatus kViSuccessMaxCnt = 0x3FFF0006;
constexpr ViStatus kViErrorTmo = static_cast<ViStatus>(0xBFFF0015);
constexpr ViStatus kViErrorRsrcNFound = static_cast<ViStatus>(0xBFFF0011);
constexpr ViStatus kViErrorInvObject = static_cast<ViStatus>(0xBFFF000E);
constexpr ViStatus kViErrorNListeners = static_cast<ViStatus>(0xBFFF005F);
constexpr ViStatus kViErrorIo = static_cast<ViStatus>(0xBFFF003E);
constexpr ViStatus kViErrorNSupAttr = static_cast<ViStatus>(0xBFFF001D);
constexpr uint32_t kViAttrTmoValue = 0x3FFF001A;
constexpr uint32_t kViAttrSendEndEn = 0x3FFF0016;
constexpr uint32_t kViAttrTermCharEn = 0x3FFF0038;
constexpr uint32_t kViAttrRsrcManfName = 0xBFFF0174;
constexpr uint32_t kViAttrRsrcImplVersion = 0x3FFF0003;
constexpr ViSession kResourceManager = 1;
constexpr ViSession kInterface = 2;

struct Instrument {
  int pad = 0;
  int sad = 0;
  int tmo = 11;
  bool eot = true;
  std::map<bool, int> handles;  // the bus handle for each EOI mode
};

struct Library {
  veridane::RealEventLoop clock;
  std::unique_ptr<veridane::sim::Bench> bench;
  std::map<ViSession, Instrument> sessions;
  std::map<ViSession, std::vector<std::string>> findLists;  // resources not yet handed out
  ViSession next = 100;
};

Library& Lib() {
  static Library library;
  static bool opened = false;
  if (!opened) {
    opened = true;
    // A bench that cannot be opened leaves no board: the program finds none, and stderr says why.
    library.bench = veridane::sim::OpenEnvironmentBench(library.clock, "simulated VISA library");
  }
  return library;
}

// The smallest timeout code that waits at least `ms`.
int CodeFor(uint64_t ms) {
  for (int code = 1; code <= 17; ++code)
    if (veridane::TimeoutSeconds(code) * 1000 >= static_cast<double>(ms)) return code;
  return 17;
}

// The instrument session and its bus handle; nullptr for anything else.
Instrument* Find(ViSession vi) {
  auto it = Lib().sessions.find(vi);
  return it == Lib().sessions.end() ? nullptr : &it->second;
}

int BusHandle(Instrument& instrument) {
  veridane::Gpib488& bus = Lib().bench->Bus();
  auto [it, added] = instrument.handles.try_emplace(instrument.eot, -1);
  if (added) it->second = bus.ibdev(0, instrument.pad, instrument.sad, instrument.tmo, instrument.eot ? 1 : 0, 0);
  if (it->second >= 0) bus.ibtmo(it->second, instrument.tmo);
  return it->second;
}

ViStatus Outcome(veridane::GpibStatus status) {
  if (!(status.ibsta & veridane::kErr)) return kViSuccess;
  if (status.ibsta & veridane::kTimo) return kViErrorTmo;
  if (status.iberr == veridane::kEnol) return kViErrorNListeners;
  return kViErrorIo;
}

// "GPIB0::5::INSTR", "GPIB0::5::2::INSTR", "GPIB::5::INSTR"; false for anything else.
bool ParseInstrument(std::string text, int& pad, int& sad) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::vector<std::string> parts;
  for (size_t from = 0;;) {
    const size_t at = text.find("::", from);
    parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 2;
  }
  if ((parts.size() != 3 && parts.size() != 4) || parts.back() != "INSTR") return false;
  if (parts[0] != "GPIB" && parts[0] != "GPIB0") return false;
  try {
    pad = std::stoi(parts[1]);
    sad = parts.size() == 4 ? std::stoi(parts[2]) + 0x60 : 0;
  } catch (const std::exception&) {
    return false;
  }
  return pad >= 0 && pad <= 30 && (sad == 0 || (sad >= 0x60 && sad <= 0x7E));
}

}  // namespace

extern "C" {

#define EXPORT __attribute__((visibility("default")))

EXPORT ViStatus viOpenDefaultRM(ViSession* rm) {
  if (!Lib().bench) return kViErrorRsrcNFound;
  if (rm) *rm = kResourceManager;
  return kViSuccess;
}

EXPORT ViStatus viOpen(ViSession rm, const char* name, uint32_t, uint32_t, ViSession* vi) {
  if (rm != kResourceManager || name == nullptr || vi == nullptr || !Lib().bench) return kViErrorInvObject;
  std::string text = name;
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (text == "GPIB0::INTFC" || text == "GPIB::INTFC") {
    *vi = kInterface;
    return kViSuccess;
  }
  Instrument instrument;
  if (!ParseInstrument(name, instrument.pad, instrument.sad)) return kViErrorRsrcNFound;
  *vi = Lib().next++;
  Lib().sessions[*vi] = instrument;
  return kViSuccess;
}

EXPORT ViStatus viClose(ViSession vi) {
  if (vi == kResourceManager) {
    Lib().sessions.clear();
    Lib().findLists.clear();
    return kViSuccess;
  }
  Lib().sessions.erase(vi);
  Lib().findLists.erase(vi);
  return kViSuccess;
}

// Only the expression a GPIB program uses: every instrument listening on board 0.
EXPORT ViStatus viFindRsrc(ViSession rm, const char* expression, ViSession* list, uint32_t* count, char* first) {
  if (rm != kResourceManager || expression == nullptr || !Lib().bench) return kViErrorInvObject;
  std::string text = expression;
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (text != "GPIB0::?*INSTR" && text != "GPIB?*INSTR") return kViErrorRsrcNFound;
  veridane::Gpib488& bus = Lib().bench->Bus();
  std::vector<int16_t> addresses;
  for (int16_t pad = 1; pad <= 30; ++pad) addresses.push_back(pad);
  addresses.push_back(veridane::kNoAddr);
  std::vector<int16_t> found(31, 0);
  bus.FindLstn(0, addresses, found, 31);
  std::vector<std::string> resources;
  for (int16_t pad : found) {
    if (pad > 0) resources.push_back("GPIB0::" + std::to_string(pad) + "::INSTR");
  }
  if (count) *count = static_cast<uint32_t>(resources.size());
  if (resources.empty()) return kViErrorRsrcNFound;
  if (first) std::strcpy(first, resources.front().c_str());
  resources.erase(resources.begin());
  const ViSession id = Lib().next++;
  Lib().findLists[id] = std::move(resources);
  if (list) *list = id;
  return kViSuccess;
}

EXPORT ViStatus viFindNext(ViSession list, char* next) {
  auto it = Lib().findLists.find(list);
  if (it == Lib().findLists.end()) return kViErrorInvObject;
  if (it->second.empty()) return kViErrorRsrcNFound;
  if (next) std::strcpy(next, it->second.front().c_str());
  it->second.erase(it->second.begin());
  return kViSuccess;
}

EXPORT ViStatus viSetAttribute(ViSession vi, uint32_t attribute, uint64_t value) {
  Instrument* instrument = Find(vi);
  if (!instrument) return vi == kInterface ? kViSuccess : kViErrorInvObject;
  if (attribute == kViAttrTmoValue) {
    instrument->tmo = CodeFor(value);
  } else if (attribute == kViAttrSendEndEn) {
    instrument->eot = value != 0;
  } else if (attribute != kViAttrTermCharEn) {
    return kViErrorNSupAttr;
  }
  return kViSuccess;
}

EXPORT ViStatus viGetAttribute(ViSession vi, uint32_t attribute, void* value) {
  if (vi != kResourceManager || value == nullptr) return kViErrorNSupAttr;
  if (attribute == kViAttrRsrcManfName) {
    std::strcpy(static_cast<char*>(value), "Veridane simulated bench");
    return kViSuccess;
  }
  if (attribute == kViAttrRsrcImplVersion) {
    *static_cast<uint32_t*>(value) = 0x00100000;
    return kViSuccess;
  }
  return kViErrorNSupAttr;
}

EXPORT ViStatus viWrite(ViSession vi, const unsigned char* data, uint32_t count, uint32_t* written) {
  Instrument* instrument = Find(vi);
  if (!instrument) return kViErrorInvObject;
  veridane::Gpib488& bus = Lib().bench->Bus();
  bus.ibwrt(BusHandle(*instrument), std::string_view(reinterpret_cast<const char*>(data), count));
  if (written) *written = static_cast<uint32_t>(std::max(bus.Status().ibcntl, 0));
  return Outcome(bus.Status());
}

EXPORT ViStatus viRead(ViSession vi, unsigned char* buffer, uint32_t count, uint32_t* got) {
  Instrument* instrument = Find(vi);
  if (!instrument) return kViErrorInvObject;
  veridane::Gpib488& bus = Lib().bench->Bus();
  std::string into(count, '\0');
  bus.ibrd(BusHandle(*instrument), into);
  const veridane::GpibStatus status = bus.Status();
  const uint32_t n = std::min(count, static_cast<uint32_t>(std::max(status.ibcntl, 0)));
  std::memcpy(buffer, into.data(), n);
  if (got) *got = n;
  const ViStatus outcome = Outcome(status);
  if (outcome != kViSuccess) return outcome;
  return (status.ibsta & veridane::kEnd) ? kViSuccess : kViSuccessMaxCnt;
}

EXPORT ViStatus viReadSTB(ViSession vi, uint16_t* stb) {
  Instrument* instrument = Find(vi);
  if (!instrument) return kViErrorInvObject;
  veridane::Gpib488& bus = Lib().bench->Bus();
  uint8_t value = 0;
  bus.ibrsp(BusHandle(*instrument), value);
  if (stb) *stb = value;
  return Outcome(bus.Status());
}

EXPORT ViStatus viClear(ViSession vi) {
  Instrument* instrument = Find(vi);
  if (!instrument) return kViErrorInvObject;
  veridane::Gpib488& bus = Lib().bench->Bus();
  bus.ibclr(BusHandle(*instrument));
  return Outcome(bus.Status());
}

EXPORT ViStatus viGpibControlREN(ViSession vi, uint16_t mode) {
  veridane::Gpib488& bus = Lib().bench->Bus();
  if (vi == kInterface) {
    bus.ibsre(0, mode == 1 ? 1 : 0);
    return Outcome(bus.Status());
  }
  Instrument* instrument = Find(vi);
  if (!instrument) return kViErrorInvObject;
  bus.ibloc(BusHandle(*instrument));  // go to local: the only mode the program uses on a device
  return Outcome(bus.Status());
}

EXPORT ViStatus viGpibSendIFC(ViSession vi) {
  if (vi != kInterface) return kViErrorInvObject;
  veridane::Gpib488& bus = Lib().bench->Bus();
  bus.SendIFC(0);
  return Outcome(bus.Status());
}

}  // extern "C"
