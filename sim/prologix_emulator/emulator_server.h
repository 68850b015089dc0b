#pragma once
// Serves emulated Prologix adapters: a TCP listener on 127.0.0.1 (as a GPIB-ETHERNET) and a
// pseudo-terminal (as a GPIB-USB on a serial port). Each TCP connection gets a bench of its
// own, freshly switched on, and a thread of its own, as each network adapter has its own bus:
// one host's silent poll cannot stall another. The pseudo-terminal is one adapter on one
// bench for the emulator's whole life, as a USB adapter is. With a shared bench every
// connection (and the pseudo-terminal) talks to one bus, one command at a time, as several
// adapters cabled to one bus would. Within a session a command is carried out completely
// before the next byte is looked at, as the adapter's firmware does.
//
// In pieces, every answer reaches the host in several writes with a pause between them, cut
// where a reader that trusts a segment's end would go wrong: right after a byte 4 that is not
// the answer's last, after the "#" of a block header and after its first digit, and in the
// middle.
#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "sim/prologix_emulator/prologix_session.h"

namespace veridane::sim {

// A bench as the server uses it: its bus and the clock it runs on.
class ServedBench {
 public:
  virtual ~ServedBench() = default;
  virtual Gpib488& Bus() = 0;
  virtual EventLoop& Clock() = 0;
};
// Makes the bench for one connection; nullptr (with the reason on stderr) when it cannot.
using BenchFactory = std::function<std::unique_ptr<ServedBench>()>;

// What the adapter says it is, per link.
struct AdapterPersonality {
  std::string tcpVersion = PrologixSession::kEthernetVersion;
  std::string ptyVersion = PrologixSession::kVersion;
  bool ar488 = false;  // knows "++findlstn"
};

struct EmulatorMode {
  bool inPieces = false;
  bool sharedBench = false;
};

// Where an answer is cut in pieces (offsets into it, ascending; at most a few dozen).
std::vector<size_t> AwkwardCuts(std::string_view answer);

class EmulatorServer {
 public:
  explicit EmulatorServer(BenchFactory factory, AdapterPersonality personality = {}, EmulatorMode mode = {});
  ~EmulatorServer();
  EmulatorServer(const EmulatorServer&) = delete;
  EmulatorServer& operator=(const EmulatorServer&) = delete;

  // Port 0 lets the system choose. False with the reason in `error`.
  bool ListenTcp(int port, std::string& error);
  bool OpenPty(std::string& error);
  int TcpPort() const { return tcpPort_; }
  const std::string& PtyPath() const { return ptyPath_; }

  // Serves until `seconds` have passed (< 0: for ever), `stop` says so (asked at least every
  // 0.1 s) or the listener fails. Connections still open are closed on return.
  void Serve(double seconds, const std::function<bool()>& stop = {});

 private:
  struct Connection {
    std::thread thread;
    std::atomic<bool> done{false};
  };
  // Feeds one link's bytes to a session on `bench` until the link closes or the server stops.
  void Run(int fd, ServedBench& bench, const std::string& version, bool ownsFd);
  void Reap(bool all);
  // The bench every connection shares, made on first use; nullptr when it cannot be.
  ServedBench* SharedBench();

  BenchFactory factory_;
  AdapterPersonality personality_;
  EmulatorMode mode_;
  std::mutex sharedLock_;  // one command at a time on the shared bench
  std::unique_ptr<ServedBench> sharedBench_;
  int listenFd_ = -1;
  int tcpPort_ = 0;
  int ptyMaster_ = -1;
  int ptyKeeper_ = -1;  // our own open slave: the master never sees a hang-up between hosts
  std::string ptyPath_;
  std::unique_ptr<ServedBench> ptyBench_;
  std::atomic<bool> stopping_{false};
  std::list<Connection> connections_;
};

}  // namespace veridane::sim
