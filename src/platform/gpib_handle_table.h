#pragma once
// The device handles of a back end that keeps its own (the simulated bus, the adapters, the
// VISA library), and what every such back end does the same way: the status of the last
// call, the handle calls that only read or set a handle (ibdev, ibpad, ibtmo, ibask), a file
// sent as one message (ibwrtf), and the listener table FindLstn hands back. A back end derives
// from it and writes only the calls that move bytes or wait.
//
// Addresses: primary 0..30, secondary 0 (none) or 0x60..0x7E; timeout codes 0..17. A wrong
// one is ERR with EARG, an unknown handle EDVR, a board other than 0 ENEB.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/gpib488.h"

namespace veridane {

class GpibHandleTable : public Gpib488 {
 public:
  GpibStatus Status() const override { return status_; }
  int ibdev(int board, int pad, int sad, int tmo, int eot, int eos) override;
  void ibpad(int ud, int pad) override;
  void ibtmo(int ud, int code) override;
  void ibask(int ud, int option, int& value) override;
  // The file must be a regular file of at most kFileMessageLimit bytes (a FIFO or a folder is
  // a file system error, not a wait); it goes out through ibwrt.
  void ibwrtf(int ud, const std::string& path) override;

  static constexpr size_t kFileMessageLimit = size_t{64} << 20;

 protected:
  struct DeviceHandle {
    int pad = 1;
    int sad = 0;  // 0 none, else 0x60..0x7E
    int tmo = 11;
    bool eot = true;
  };
  static constexpr int kMaxAddress = 30;
  static bool ValidAddress(int pad, int sad) {
    return pad >= 0 && pad <= kMaxAddress && (sad == 0 || (sad >= 0x60 && sad <= 0x7E));
  }

  // The handle, or nullptr with ERR and EDVR.
  DeviceHandle* Find(int ud);
  // Board 0 is the only board; any other is ERR with ENEB.
  bool CheckBoard(int board);
  // iberr keeps its last value, as a driver's does: it means something only with ERR.
  void Ok(int32_t bits = 0, int32_t count = 0) {
    status_.ibsta = kCmpl | bits;
    status_.ibcntl = count;
  }
  void Fail(int32_t iberr, int32_t bits = 0) { status_ = {kErr | kCmpl | bits, iberr, 0}; }
  // FindLstn's answer from the addresses that answered, in the order found (the controller's
  // 0 among them): the first `limit` into results, then a 0 when fewer; ERR with EBUS when no
  // instrument answered, with ETAB when more than `limit` did.
  void ListListeners(const std::vector<int16_t>& answering, std::vector<int16_t>& results, int limit);

  GpibStatus status_;

 private:
  std::map<int, DeviceHandle> handles_;
  int nextHandle_ = 1;
};

}  // namespace veridane
