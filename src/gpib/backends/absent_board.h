#pragma once
// The back end of a bench whose GPIB hardware cannot be used (no library, no device file, no
// permission, adapter not answering): it behaves as a board that does not exist, so the
// program's own start-up reports it as it reports a missing board, after the technician was
// told what to install or which group to join.
#include "platform/gpib488.h"

namespace veridane {

class AbsentBoard : public Gpib488 {
 public:
  GpibStatus Status() const override { return status_; }
  void SendIFC(int) override { Fail(); }
  void ibsre(int, int) override { Fail(); }
  void FindLstn(int, const std::vector<int16_t>&, std::vector<int16_t>&, int) override { Fail(); }
  int ibdev(int, int, int, int, int, int) override {
    Fail();
    return -1;
  }
  void ibpad(int, int) override { Fail(); }
  void ibclr(int) override { Fail(); }
  void ibrsp(int, uint8_t&) override { Fail(); }
  void ibwrt(int, std::string_view) override { Fail(); }
  void ibrd(int, std::string&) override { Fail(); }
  void ibtmo(int, int) override { Fail(); }
  void ibask(int, int, int&) override { Fail(); }
  void ibwait(int, int) override { Fail(); }
  void ibloc(int) override { Fail(); }
  void ibwrtf(int, const std::string&) override { Fail(); }
  void ibrdf(int, const std::string&) override { Fail(); }
  void DevClear(int, int) override { Fail(); }

 private:
  void Fail() { status_ = {kErr, kEneb, 0}; }
  GpibStatus status_;
};

}  // namespace veridane
