// A GPIB board library made of the simulated bench: a shared object with the C interface of a
// board library (NI-488.2 flavour: ibconfig, ibrdfA/ibwrtfA, per-thread status functions), so
// that the program's real board back end can load it with dlopen and run a whole bench
// through the same path as on a board.
//
// The bench is chosen by the environment when the library is first used
// (sim/bench/environment_bench.h: VERIDANE_SIM_BENCH, VERIDANE_SIM_DATA).
// It runs on the real clock, as a board does: the program treats a board bench as real.
// Board 0 is the bench; any other board does not exist (ENEB), as on a PC with one board.
//
// A C library's interface has process-wide state by nature (its ibsta); here the bench too.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "sim/bench/environment_bench.h"

namespace {

using Addr4882 = unsigned short;
constexpr Addr4882 kLibraryNoAddr = 0xFFFF;
constexpr int kIbcPad = 0x1;
constexpr int kIbcTmo = 0x3;

struct Library {
  veridane::RealEventLoop clock;
  std::unique_ptr<veridane::sim::Bench> bench;
};

Library& Lib() {
  static Library library;
  static bool opened = false;
  if (!opened) {
    opened = true;
    // A bench that cannot be opened leaves no board: the program finds none, and stderr says why.
    library.bench = veridane::sim::OpenEnvironmentBench(library.clock, "simulated GPIB library");
  }
  return library;
}

// Status as the library reports it: the bus's own after a call, or a failure of ours.
veridane::GpibStatus status;

int Publish();

// The bus of board 0; nullptr (status ERR, ENEB) for another board or no bench.
veridane::Gpib488* Board(int board) {
  Library& lib = Lib();
  if (board != 0 || !lib.bench) {
    status = {veridane::kErr, veridane::kEneb, 0};
    Publish();
    return nullptr;
  }
  return &lib.bench->Bus();
}

veridane::Gpib488* Bus() { return Board(0); }

int Done(veridane::Gpib488& bus) {
  status = bus.Status();
  return Publish();
}

}  // namespace

extern "C" {

// The global status variables, for callers that read them instead of the functions.
__attribute__((visibility("default"))) int ibsta = 0;
__attribute__((visibility("default"))) int iberr = 0;
__attribute__((visibility("default"))) long ibcntl = 0;

#define EXPORT __attribute__((visibility("default")))

EXPORT int ThreadIbsta() { return status.ibsta; }
EXPORT int ThreadIberr() { return status.iberr; }
EXPORT long ThreadIbcntl() { return status.ibcntl; }

EXPORT int ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
  veridane::Gpib488* bus = Board(board);
  if (!bus) return -1;
  const int ud = bus->ibdev(0, pad, sad, tmo, eot, eos);
  Done(*bus);
  return ud;
}

EXPORT int ibclr(int ud) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  bus->ibclr(ud);
  return Done(*bus);
}

EXPORT int ibloc(int ud) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  bus->ibloc(ud);
  return Done(*bus);
}

EXPORT int ibrsp(int ud, char* statusByte) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  uint8_t value = 0;
  bus->ibrsp(ud, value);
  if (statusByte) *statusByte = static_cast<char>(value);
  return Done(*bus);
}

EXPORT int ibwrt(int ud, const void* data, long count) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  bus->ibwrt(ud, std::string_view(static_cast<const char*>(data), count > 0 ? static_cast<size_t>(count) : 0));
  return Done(*bus);
}

EXPORT int ibrd(int ud, void* buffer, long count) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  std::string into(count > 0 ? static_cast<size_t>(count) : 0, '\0');
  bus->ibrd(ud, into);
  const int result = Done(*bus);
  const size_t got = status.ibcntl > 0 ? std::min(static_cast<size_t>(status.ibcntl), into.size()) : 0;
  if (got > 0) std::memcpy(buffer, into.data(), got);
  return result;
}

EXPORT int ibask(int ud, int option, int* value) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  int answer = 0;
  bus->ibask(ud, option, answer);
  if (value) *value = answer;
  return Done(*bus);
}

EXPORT int ibwait(int ud, int mask) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  bus->ibwait(ud, mask);
  return Done(*bus);
}

EXPORT int ibsre(int board, int value) {
  veridane::Gpib488* bus = Board(board);
  if (!bus) return ibsta;
  bus->ibsre(0, value);
  return Done(*bus);
}

EXPORT int ibconfig(int ud, int option, int value) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  if (option == kIbcTmo) {
    bus->ibtmo(ud, value);
  } else if (option == kIbcPad) {
    bus->ibpad(ud, value);
  } else {
    status = {veridane::kErr, veridane::kEarg, 0};
    return Publish();
  }
  return Done(*bus);
}

EXPORT int ibrdfA(int ud, const char* path) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  bus->ibrdf(ud, path ? path : "");
  return Done(*bus);
}

EXPORT int ibwrtfA(int ud, const char* path) {
  veridane::Gpib488* bus = Bus();
  if (!bus) return ibsta;
  bus->ibwrtf(ud, path ? path : "");
  return Done(*bus);
}

EXPORT void SendIFC(int board) {
  if (veridane::Gpib488* bus = Board(board)) {
    bus->SendIFC(0);
    Done(*bus);
  }
}

EXPORT void DevClear(int board, Addr4882 address) {
  if (veridane::Gpib488* bus = Board(board)) {
    bus->DevClear(0, address & 0xFF);
    Done(*bus);
  }
}

EXPORT void FindLstn(int board, const Addr4882* list, Addr4882* results, int limit) {
  veridane::Gpib488* bus = Board(board);
  if (!bus) return;
  std::vector<int16_t> addresses;
  for (const Addr4882* a = list; a && *a != kLibraryNoAddr; ++a) addresses.push_back(static_cast<int16_t>(*a & 0xFF));
  addresses.push_back(veridane::kNoAddr);
  std::vector<int16_t> found(static_cast<size_t>(limit > 0 ? limit : 0), 0);
  bus->FindLstn(0, addresses, found, limit);
  Done(*bus);
  for (int i = 0; i < limit && results; ++i) {
    const int16_t a = static_cast<size_t>(i) < found.size() ? found[static_cast<size_t>(i)] : 0;
    results[i] = a == 0 && i > 0 ? kLibraryNoAddr : static_cast<Addr4882>(a);
  }
}

}  // extern "C"

namespace {

int Publish() {
  ibsta = status.ibsta;
  iberr = status.iberr;
  ibcntl = status.ibcntl;
  return status.ibsta;
}

}  // namespace
