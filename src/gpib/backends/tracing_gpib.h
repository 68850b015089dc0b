#pragma once
// A trace of every driver call, over any back end: one line per call, starting with the time
// since the trace began in seconds (millisecond resolution, on the run's clock: virtual time on
// a simulated bench), so that every wait can be read from the trace. Data are shown as 8-bit
// text with CR, LF and other control bytes escaped; a call that set ERR names its error code.
//
//      0.000 ibdev 0 1 0 12 1 0 -> 32
//      0.004 W 32 <- ID?
//      0.011 R 32 -> ID TEK/TDS 340,CF:91.1CT FV:v1.04
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "platform/gpib488.h"

namespace veridane {

class TracingGpib : public Gpib488 {
 public:
  using Sink = std::function<void(const std::string& line)>;
  TracingGpib(Gpib488& inner, EventLoop& clock, Sink sink);

  GpibStatus Status() const override { return inner_.Status(); }
  int RegisterGlobals() override;
  void UnregisterGlobals() override;
  void SendIFC(int board) override;
  void ibsre(int board, int value) override;
  void FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results, int limit) override;
  int ibdev(int board, int pad, int sad, int tmo, int eot, int eos) override;
  void ibpad(int ud, int pad) override;
  void ibclr(int ud) override;
  void ibrsp(int ud, uint8_t& statusByte) override;
  void ibwrt(int ud, std::string_view data) override;
  void ibrd(int ud, std::string& buffer) override;
  void ibtmo(int ud, int code) override;
  void ibask(int ud, int option, int& value) override;
  void ibwait(int ud, int mask) override;
  void ibloc(int ud) override;
  void ibwrtf(int ud, const std::string& path) override;
  void ibrdf(int ud, const std::string& path) override;
  void DevClear(int board, int address) override;

 private:
  void Line(const std::string& text);
  Gpib488& inner_;
  EventLoop& clock_;
  Sink sink_;
  double start_;
};

// Control bytes as \r, \n, \t or \xNN; everything else as it is.
std::string EscapedBusText(std::string_view data);

// A sink appending each line to a file (8-bit, LF), flushed per line so that a trace survives
// a run that ends abruptly. Empty when the file cannot be opened. A write that fails later (a
// full disk) is told once on `complaints`; the run goes on, its result is not the trace's.
TracingGpib::Sink TraceFileSink(const std::string& path, std::ostream& complaints = std::cerr);

}  // namespace veridane
