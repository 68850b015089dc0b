#pragma once
// A network GPIB adapter gone wrong, on a loopback TCP port: it answers "++ver" (and "++spoll"
// with 0) like any adapter, and every "++read" with what its mode says. Like a Prologix, it
// stops sending an answer as soon as the host sends anything. It makes its bytes as it sends
// them, so a huge answer costs the test process no memory of its own.
#include <atomic>
#include <cstddef>
#include <string>
#include <thread>

namespace veridane::testing {

class HostileAdapter {
 public:
  enum class Mode {
    kEndlessStream,      // bytes for ever, never an end character
    kHugeAnswer,         // `hugeBytes` of text, then LF and the end character
    kBlockWithEndBytes,  // a definite-length block full of byte 4, sent in pieces that each end on one
  };
  explicit HostileAdapter(Mode mode, size_t hugeBytes = size_t{100} << 20);
  ~HostileAdapter();
  HostileAdapter(const HostileAdapter&) = delete;
  HostileAdapter& operator=(const HostileAdapter&) = delete;

  int Port() const { return port_; }
  // The whole answer of kBlockWithEndBytes, without the end character.
  static std::string Block();
  // Bytes of answers sent so far.
  size_t Sent() const { return sent_; }

 private:
  void Serve();
  // Sends the answer to one "++read"; false when the host went away.
  bool Answer(int fd);

  Mode mode_;
  size_t hugeBytes_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<size_t> sent_{0};
  std::thread thread_;
};

}  // namespace veridane::testing
