#pragma once
// The part of the serial and TCP transports that is the same: a non-blocking file
// descriptor read with poll() against the steady clock.
#include <string>

#include "gpib/backends/byte_transport.h"

namespace veridane {

class FdTransport : public ByteTransport {
 public:
  ~FdTransport() override;
  FdTransport(const FdTransport&) = delete;
  FdTransport& operator=(const FdTransport&) = delete;

  bool Write(std::string_view bytes) override;
  bool Read(std::string& into, double seconds) override;
  void Discard() override;
  double Now() override;
  std::string LastError() const override { return lastError_; }
  std::string Describe() const override { return where_; }

 protected:
  // Takes ownership of fd (non-blocking).
  FdTransport(int fd, std::string where);
  bool Failed(const std::string& what);

 private:
  int fd_;
  bool socket_ = false;  // sent to with MSG_NOSIGNAL: a peer that went away must not kill the program
  std::string where_;
  std::string lastError_;
};

}  // namespace veridane
