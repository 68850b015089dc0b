#pragma once
// A Prologix-compatible adapter with its bus, played on a virtual clock behind the byte
// transport: it parses what the host sends (commands, escaped data lines) and answers as an
// adapter does, so the tests see the real protocol and can check every line the host sent.
//
// Devices are scripted per address: answers (each part with or without EOI, ready some time
// after the message that asked for it), a serial-poll byte (none: the device does not answer
// polls, as an empty address), and the messages received. "++read eoi" delivers the next part
// once ready, followed by the end character when that part carried EOI; a part that is not
// ready within the adapter's read timeout ("++read_tmo_ms") yields nothing, as the adapter
// gives up in silence. The adapter does one thing at a time: a poll nobody answers keeps it
// busy for its read timeout, and what it says after comes after that; a read it is still
// waiting in ends when the host sends anything, as a Prologix's does.
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gpib/backends/byte_transport.h"

namespace veridane::testing {

struct ScriptedDevice {
  struct Part {
    std::string bytes;
    bool eoi = true;
    double delay = 0;  // ready this long after the last message (or after the previous part)
  };
  std::deque<Part> answers;
  std::optional<int> pollByte = 0;
  std::vector<std::string> received;  // messages as the device got them (unescaped)
};

class ScriptedAdapter : public ByteTransport {
 public:
  ScriptedDevice& At(int pad) { return devices_[pad]; }
  // The adapter ignores the first n "++ver" (as one that is still booting).
  void IgnoreVersionQueries(int n) { ignoreVersion_ = n; }
  // Bytes the adapter sends unasked at a given time (late or stray output); each call is one
  // chunk for the host's reads.
  void SendAt(double time, std::string bytes) { output_.push_back({time, std::move(bytes)}); }
  void Break() { broken_ = true; }
  // Everything the adapter sends reaches the host this much later (a slow network).
  void SetLatency(double seconds) { latency_ = seconds; }
  // Answers "++findlstn" with the addresses whose devices answer polls, in this form
  // ("%s" stands for the addresses separated by blanks), as an AR488 does.
  void AnswerFindLstn(std::string form) { findLstnForm_ = std::move(form); }
  void SetVersion(std::string version) { version_ = std::move(version); }

  // Every line the host sent: commands as they are, data lines unescaped.
  const std::vector<std::string>& Lines() const { return lines_; }
  int Count(const std::string& line) const;
  void ClearLines() {
    lines_.clear();
    writes_ = 0;
  }
  // How many writes the host made (each may hold several lines).
  int Writes() const { return writes_; }

  bool Write(std::string_view bytes) override;
  bool Read(std::string& into, double seconds) override;
  void Discard() override;
  double Now() override { return now_; }
  std::string LastError() const override { return broken_ ? "the adapter was unplugged" : ""; }
  std::string Describe() const override { return "/dev/ttyFAKE0"; }

 private:
  struct Output {
    double time;
    std::string bytes;
  };
  void Line(const std::string& raw, bool command);
  void Command(const std::string& command);
  void Emit(double time, std::string bytes) { output_.push_back({time + latency_, std::move(bytes)}); }

  double now_ = 0;
  double latency_ = 0;
  // The adapter works through one command at a time: what it says next comes after this.
  double busyUntil_ = 0;
  bool readPending_ = false;  // busy with a read a character from the host ends
  std::string findLstnForm_;
  std::string version_ = "Prologix GPIB-USB Controller version 6.101";
  bool broken_ = false;
  int ignoreVersion_ = 0;
  std::string partial_;  // bytes of a line not yet ended
  std::vector<std::string> lines_;
  int writes_ = 0;
  std::vector<Output> output_;
  std::map<int, ScriptedDevice> devices_;
  std::map<int, double> lastMessageAt_;
  int addr_ = 0;
  int readTmoMs_ = 500;
  char endChar_ = '\n';
  bool endEnabled_ = false;
};

}  // namespace veridane::testing
