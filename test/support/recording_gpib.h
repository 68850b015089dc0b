#pragma once
// RecordingGpib: a Gpib488 for unit tests that logs every driver call and answers from a
// script. Use it to assert the exact command traffic of a driver and to drive the error paths
// of the bus layer without a bus.
//
// Addresses. Handles come from ibdev (1, 2, 3 ...) and point at a primary address that ibpad
// moves; every call on a handle is recorded with the address it pointed at at that moment, so
// tests ask "what was written to address 5" without caring which handle did it.
//
// Replies. A read at an address takes, in this order: what is left of a partly read reply; the
// next reply queued for that address (AddReply(address, text)); the reply of an answer rule
// whose query equals the text last written there (SetAnswer; each write answers once); the next
// reply of the in-order queue (AddReply(text)). With none of these the read times out:
// ERR|TIMO, iberr 6, nothing delivered. A reply longer than the read buffer is delivered in
// parts, END only with its last byte, as a real device does. Replies are given exactly as the
// device sends them, line ends included ("TDS 340\r\n").
//
// Scripted status. ForceStatus(function, status, nth) makes the nth next call of that function
// ("" = any call) end with exactly that status instead of its normal outcome; a forced read or
// write moves no data. FailNext and TimeoutNext are shorthands for ERR + iberr and for ERR|TIMO
// with iberr 6.
//
// FindLstn. SetListeners(addresses) lists the instruments; the board answers at address 0 when
// 0 is in the address list, so the results are 0, the instruments in ascending order, then 0
// when fewer than the limit. No instrument: ERR, iberr 14. More listeners than the limit: ERR,
// iberr 20, results filled up to the limit.
//
// Log. Calls() holds a structured record per call; Log() the same as readable lines such as
//   ibdev(0, 1, 0, 11, 1, 0) -> 1      ibpad(1, 5)      ibwrt(1@5, "ID?")
//   ibrd(1@5, 256) -> "TDS 340\r\n" END      ibrd(1@5, 512) -> TIMEOUT      FindLstn(0, 15) -> 0 3 5 0
// (handle@address, control characters escaped as \r \n \xHH).
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpib488.h"

namespace veridane::testing {

struct GpibCall {
  std::string function;   // "ibwrt", "ibrd", "SendIFC", ...
  int ud = -1;            // device handle, or the board for board calls
  int address = -1;       // primary address the handle pointed at (DevClear: its address); -1 for board calls
  std::vector<int> args;  // the other integer arguments in order (ibrd: buffer length; ibtmo: code ...)
  std::vector<int> list;  // FindLstn: the address list passed
  std::string data;       // ibwrt: text written; ibrd: bytes delivered; ibwrtf/ibrdf: file name
  GpibStatus status;      // the status the call left
  std::string text;       // the readable log line
};

class RecordingGpib : public Gpib488 {
 public:
  // --- the bus ---
  void SetListeners(std::vector<int16_t> addresses);
  void SetPollByte(int address, uint8_t statusByte);
  // Results returned by RegisterGlobals in turn (then 0).
  void ScriptRegistration(std::vector<int> results);

  // --- replies ---
  void AddReply(int address, std::string reply);
  void AddReply(std::string reply);
  // Every write of query (trailing CR/LF ignored on both sides) to address arms one reply.
  void SetAnswer(int address, std::string query, std::string reply);

  // --- scripted status ---
  void ForceStatus(std::string function, GpibStatus status, int nth = 1);
  void FailNext(std::string function, int iberr, int nth = 1);
  void TimeoutNext(std::string function = "ibrd", int nth = 1);

  // --- inspection ---
  const std::vector<GpibCall>& Calls() const { return calls_; }
  std::vector<std::string> Log() const;
  std::vector<GpibCall> CallsOf(std::string_view function) const;
  int Count(std::string_view function) const;
  // Texts written with ibwrt to that primary address, in order (also those that failed).
  std::vector<std::string> WrittenTo(int address) const;
  // Every text written with ibwrt, in order, whatever the address.
  std::vector<std::string> Written() const;
  int AddressOf(int ud) const;  // -1 for an unknown handle
  int TimeoutOf(int ud) const;  // -1 for an unknown handle
  void ClearLog() { calls_.clear(); }

  // --- Gpib488 ---
  GpibStatus Status() const override { return status_; }
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
  struct Handle {
    int pad = 0;
    int tmo = 0;
  };
  struct Forced {
    std::string function;
    int callsLeft = 1;
    GpibStatus status;
  };
  struct Answer {
    std::string query;
    std::string reply;
  };

  bool TakeForced(const std::string& function, GpibStatus& forced);
  GpibCall Begin(std::string function, int ud, std::vector<int> args = {});
  void Finish(GpibCall call, std::string resultText = {});
  bool NextReply(int address, std::string& reply);
  void Succeed(int32_t extraBits = 0, int32_t count = 0);

  GpibStatus status_;
  std::vector<GpibCall> calls_;
  std::map<int, Handle> handles_;
  int nextHandle_ = 1;
  std::vector<int16_t> listeners_;
  std::map<int, uint8_t> pollBytes_;
  std::deque<int> registrations_;
  std::map<int, std::deque<std::string>> addressReplies_;
  std::deque<std::string> orderedReplies_;
  std::map<int, std::vector<Answer>> answers_;
  std::map<int, std::string> armedQuery_;  // last written text per address, until a read uses it
  std::map<int, std::string> pending_;     // rest of a partly read reply
  std::vector<Forced> forced_;
};

// Readable form of 8-bit bus text: control characters as \r, \n, \t, \xHH, a backslash doubled.
std::string EscapeBusText(std::string_view text);

}  // namespace veridane::testing
