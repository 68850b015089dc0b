#pragma once
// One host's view of an emulated Prologix GPIB-USB/ETHERNET controller: the "++" command set
// and the data lines of the adapter, played against a GPIB bus (the simulated bench's). Each
// connection gets its own session, as each real adapter keeps its own settings.
//
// What the host sees, as on the real adapter:
// - Lines end at an unescaped CR or LF; ESC makes the next byte data (so CR, LF, ESC and "+"
//   can be sent). A line that starts with an unescaped "++" is a command, any other line is
//   data for the addressed device, followed by the "++eos" ending and with EOI on its last byte
//   when "++eoi 1".
// - "++read eoi" reads until the device asserts EOI; "++read N" until byte N (decimal) or EOI;
//   "++read" until the timeout (across EOI: every message the device sends in that time). "++read_tmo_ms" (1..3000) bounds the silence between
//   bytes; a read that times out hands over what it had, without the end character. The end
//   character ("++eot_char", with "++eot_enable 1") follows the data only when EOI was seen.
// - "++spoll [PAD [SAD]]" answers the status byte in decimal; a device that does not answer
//   within the read timeout gets no line at all.
// - "++clr", "++loc", "++ifc", "++ren", "++addr", "++ver", and the settings without an
//   argument answer their current value ("++savecfg" too; "++srq" answers 0: the simulated
//   bus has no SRQ line). Unknown commands are ignored, as the adapter does.
// - As an AR488, "++findlstn" answers the listeners' addresses on one line.
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/event_loop.h"
#include "platform/gpib488.h"

namespace veridane::sim {

class PrologixSession {
 public:
  // Sends bytes back to the host (already framed as the adapter frames them).
  using Reply = std::function<void(std::string_view bytes)>;

  PrologixSession(Gpib488& bus, EventLoop& clock, Reply reply, std::string version = kVersion, bool ar488 = false);

  // Bytes from the host; complete lines are carried out before this returns.
  void Feed(std::string_view bytes);

  // A device slow to answer serial polls (an older instrument answers them in its firmware,
  // not in its interface chip): its status byte comes this long after "++spoll", or never
  // when that is past the read timeout, the adapter having given up first.
  void SetPollDelay(int pad, double seconds) { pollDelays_[pad] = seconds; }

  static constexpr const char* kVersion = "Prologix GPIB-USB Controller version 6.107 (Veridane emulator)";
  static constexpr const char* kEthernetVersion =
      "Prologix GPIB-ETHERNET Controller version 01.06.06.00 (Veridane emulator)";
  static constexpr const char* kAr488Version = "AR488 GPIB controller, ver. 0.51.29 (Veridane emulator)";

 private:
  void Line(const std::string& raw, const std::string& data, bool command);
  void Command(const std::string& text);
  void Write(std::string data);
  void Read(const std::string& argument);
  void SerialPoll(int pad, int sad);
  void Answer(const std::string& line) { reply_(line + "\r\n"); }
  // The bus handle for the current address with the given EOI mode.
  int Handle(int pad, int sad, bool eoi);

  Gpib488& bus_;
  EventLoop& clock_;
  Reply reply_;
  std::string version_;
  bool ar488_;

  // Line being received.
  std::string raw_;   // bytes as sent (escapes kept), to tell commands from data
  std::string data_;  // the same with escapes taken off
  bool escaped_ = false;

  int pad_ = 1;
  int sad_ = 0;
  bool eoi_ = true;
  int eos_ = 0;  // 0 CR LF, 1 CR, 2 LF, 3 nothing
  bool eotEnable_ = false;
  int eotChar_ = 0;
  bool autoRead_ = false;
  int readTmoMs_ = 500;
  int mode_ = 1;
  bool saveConfig_ = true;
  std::map<int, int> handles_;  // key: pad, sad, eoi
  std::map<int, double> pollDelays_;
};

}  // namespace veridane::sim
