#pragma once
// Serves emulated Prologix adapters for one simulated bench: a TCP listener on 127.0.0.1 (as a
// GPIB-ETHERNET, one session per connection) and a pseudo-terminal (as a GPIB-USB on a serial
// port). Everything runs on one thread: a command is carried out completely before the next
// byte is looked at, as the adapter's own firmware does.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "sim/prologix_emulator/prologix_session.h"

namespace veridane::sim {

class EmulatorServer {
 public:
  EmulatorServer(Gpib488& bus, EventLoop& clock) : bus_(bus), clock_(clock) {}
  ~EmulatorServer();
  EmulatorServer(const EmulatorServer&) = delete;
  EmulatorServer& operator=(const EmulatorServer&) = delete;

  // Port 0 lets the system choose. False with the reason in `error`.
  bool ListenTcp(int port, std::string& error);
  bool OpenPty(std::string& error);
  int TcpPort() const { return tcpPort_; }
  const std::string& PtyPath() const { return ptyPath_; }

  // Serves until `seconds` have passed (< 0: for ever), `stop` says so (asked whenever a
  // signal interrupts the wait) or the listener fails.
  void Serve(double seconds, const std::function<bool()>& stop = {});

 private:
  struct Peer {
    int fd = -1;
    std::unique_ptr<PrologixSession> session;
  };
  Peer MakePeer(int fd);

  Gpib488& bus_;
  EventLoop& clock_;
  int listenFd_ = -1;
  int tcpPort_ = 0;
  int ptyMaster_ = -1;
  int ptyKeeper_ = -1;  // our own open slave: the master never sees a hang-up between hosts
  std::string ptyPath_;
  std::vector<Peer> clients_;
  std::unique_ptr<PrologixSession> ptySession_;
};

}  // namespace veridane::sim
