#pragma once
// A GPIB controller reached through a Prologix-compatible adapter (Prologix GPIB-USB and
// GPIB-ETHERNET, the AR488 family), presented with the driver semantics of a board: handles,
// ibsta/iberr/ibcntl, TIMO when nobody answers in time.
//
// How the "++" protocol is used:
// - Start(): "++ver" must answer (asked twice: an AR488 on an Arduino restarts when its port
//   opens and misses the first one); then "++mode 1" (controller), "++auto 0" (we read only
//   when the program reads), "++eoi 1", "++eos 3" (the program's bytes go out as they are,
//   nothing appended), "++eot_enable 1" and "++eot_char 4".
// - Writes: "++addr PAD [SAD]" when the address changes, then the data with CR, LF, ESC and
//   "+" escaped by ESC, ended by an unescaped LF; EOI goes with the last byte as the handle's
//   EOI mode says ("++eoi 0" only for a handle opened without it).
// - A query (a message of printable text ending in "?", sent with EOI) goes out in one write
//   with its "++read eoi", as the adapter's automatic read would ask for it: the answer is on
//   its way while the call returns, and the next read of that address takes it up. Any other
//   call that talks to the adapter first takes in what of that answer has come (marking the
//   end of the adapter's read when it is not all there) and keeps it for that address. The
//   device receives the same message either way; it is only addressed to talk sooner.
// - Settings ("++addr", "++eoi", "++read_tmo_ms") go out in the same write as the bytes they
//   are for. The receive side is drained only after something the host gave up on.
// - Reads: "++read eoi". The adapter appends the end character (4) only when the device
//   asserted EOI; AnswerFraming tells an end character from a data byte 4 (IEEE 488.2 blocks)
//   and bounds one answer (a few MiB of text, a block as long as it says): a longer answer
//   fails the read (ERR, iberr EBUS) instead of filling the memory. The adapter's own read
//   timeout ("++read_tmo_ms") tops out at 3 s and only bounds the silence between two bytes,
//   so the host keeps the handle's overall timeout: each "++read eoi" gets the time that is
//   left of it, and when the adapter gives up early it is asked again until the timeout is
//   spent; then the read ends with ERR|TIMO, iberr EABO.
// - The end of anything the host gave up on (a read past its timeout, an over-long answer, a
//   serial poll nobody answered) is marked, not waited out: "++ver" goes after it, and its
//   answer can only come once the adapter is done (a character from the host also ends a
//   read the adapter is still making). Everything before that answer is dropped.
// - A message is read completely; a read with a shorter buffer takes what fits, without END,
//   and the rest is kept for the next reads from that address. A write or a clear to that
//   address drops what was left, as the device itself would.
// - ibclr "++clr", ibloc "++loc", SendIFC "++ifc", ibrsp "++spoll PAD [SAD]" (decimal status
//   byte on a line); ibsre "++ren" on an AR488, nothing on a Prologix, which holds REN itself
//   in controller mode.
// - FindLstn: an AR488 (by its "++ver") is asked "++findlstn"; any other adapter, or an AR488
//   whose firmware does not know it, gets a serial poll of every address in the list under a
//   short timeout, all in one write, each poll's end marked as above; an address that answers
//   with a status byte has a device. The controller is address 0.
// - The adapter cannot see a missing listener on a write (no ENOL) nor a missing device on a
//   clear; those succeed as on a bus without handshake errors. An end-of-string mode given to
//   ibdev is not used: reads end at END (the program opens every handle without one).
// - A broken link (port unplugged, connection closed) ends any call with ERR, iberr EDVR;
//   LinkError() tells why.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gpib/backends/answer_framing.h"
#include "gpib/backends/byte_transport.h"
#include "platform/gpib_handle_table.h"

namespace veridane {

enum class AdapterDialect { kPrologix, kAr488 };

struct PrologixOptions {
  AdapterDialect dialect = AdapterDialect::kPrologix;
  // Extra time granted to the link before silence is taken for the adapter having given up.
  double linkMarginSeconds = 0.2;
  // How long each address may take to answer the serial poll of FindLstn. A device answers
  // a poll in its interface chip, within microseconds; only an empty address waits this out,
  // and the 23 empty addresses of a usual bench make the search's time (0.12 s at 5 ms).
  int probeTimeoutMs = 5;
  // How long the host waits for the mark that ends something it gave up on, beyond the
  // adapter's own time for it: a link this slow is a broken one.
  double markSeconds = 4.0;
  // How long Start() waits for each "++ver" answer.
  double startSeconds = 2.5;
};

// The ESC-escaping of data bytes for the adapter (CR, LF, ESC and '+' get an ESC before them).
std::string EscapeForAdapter(std::string_view data);
// A message whose answer the adapter is asked for at once: short printable text whose last
// character before its line ends is "?". Anything else (binary data, a query in the middle
// of a message) is read only when the program reads.
bool AnswerExpected(std::string_view message);

class PrologixAdapter : public GpibHandleTable {
 public:
  static constexpr char kEndChar = 4;

  explicit PrologixAdapter(std::unique_ptr<ByteTransport> transport, PrologixOptions options = {});

  // Brings the adapter into the mode every call relies on. False, with a message for the
  // technician in `error`, when it does not answer as a Prologix-compatible adapter.
  bool Start(std::string& error);
  // The adapter's answer to "++ver".
  const std::string& Version() const { return version_; }
  const std::string& LinkError() const { return linkError_; }
  // The adapter named itself an AR488 (which has its own listener search).
  bool IsAr488() const;

  // --- Gpib488 (the handle calls are GpibHandleTable's) ---
  void SendIFC(int board) override;
  void ibsre(int board, int value) override;
  void FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results, int limit) override;
  void ibclr(int ud) override;
  void ibrsp(int ud, uint8_t& statusByte) override;
  void ibwrt(int ud, std::string_view data) override;
  void ibrd(int ud, std::string& buffer) override;
  void ibwait(int ud, int mask) override;
  void ibloc(int ud) override;
  void ibrdf(int ud, const std::string& path) override;
  void DevClear(int board, int address) override;

 private:
  struct Address {
    int pad = -1;
    int sad = 0;
    bool operator==(const Address&) const = default;
    int Key() const { return pad * 256 + sad; }
  };
  // One message as the adapter delivered it.
  struct Message {
    std::string data;
    bool end = false;
    bool timedOut = false;
    bool tooLong = false;
    bool linkFailed = false;
  };
  // What an address's device has sent and the program has not read yet: a whole message, or
  // the first part of one whose read was cut short (its framing goes on with the rest).
  struct Unread {
    std::string data;
    bool ended = true;
    AnswerFraming framing{kEndChar};
  };
  // The "++read eoi" that went out with a query and whose answer nobody has taken in yet.
  struct AskedRead {
    int key = 0;
    double sentAt = 0;
    int adapterMs = 0;
  };

  void LinkFailed();
  double Now() { return transport_->Now(); }

  // Protocol steps; false when the link failed (status already set).
  // Sends the queued settings and then `bytes`, in one write.
  bool Send(std::string_view bytes);
  bool Command(const std::string& command);
  // Queue the setting for the next Send when the adapter does not have it yet.
  void SelectAddress(const Address& address);
  void SelectEoi(bool eoi);
  void SelectReadTimeout(int milliseconds);
  // Takes in the answer of a read asked with a query (see Park), lets an adapter that may
  // still be talking from an abandoned read finish (up to its mark), and drops whatever
  // arrived unasked.
  bool Settle();
  // Takes in what has come of the asked read's answer and keeps it for its address; when the
  // answer is not complete, the adapter's read is ended by a mark first.
  bool Park();
  // Sends the mark after something the host gives up on.
  bool SendMark();
  // Drops what the adapter says until the mark's answer, for up to `seconds`; true when it
  // came. While it has not, Settle() waits for it.
  bool AwaitMark(double seconds);
  bool IsMark(const std::string& line) const;
  // The next line (CR/LF removed) within `seconds`; nullopt on silence or a broken link.
  std::optional<std::string> ReadLine(double seconds, bool& linkFailed);
  // One message by "++read eoi", asked again while the adapter gives up before the timeout;
  // `asked`: the first "++read eoi" already went out with the query.
  Message ReadMessage(double timeoutSeconds, AnswerFraming& framing, std::optional<AskedRead> asked);
  // The message (or the rest of it) of the handle's device.
  Message Fetch(const DeviceHandle& handle, AnswerFraming& framing);
  // The handle's message: the rest of one begun before, or a new one.
  Message Take(const DeviceHandle& handle);
  // Serial poll, its end marked; nullopt when the device did not answer within the timeout.
  std::optional<int> Poll(const Address& address, int timeoutMs, bool& linkFailed);
  // Serial polls of several addresses in one write, each ended by its mark; an answer for each.
  std::vector<std::optional<int>> Polls(const std::vector<Address>& addresses, int timeoutMs, bool& linkFailed);
  // An AR488's own listener search; nullopt when the adapter does not know the command.
  std::optional<std::vector<int>> FindListenersAr488(bool& linkFailed);
  double TimeoutOf(const DeviceHandle& handle) const;

  std::unique_ptr<ByteTransport> transport_;
  PrologixOptions options_;
  std::map<int, Unread> unread_;  // by Address::Key()
  std::optional<AskedRead> asked_;
  std::string outbox_;            // settings waiting to go out with the next bytes
  std::string inbox_;             // bytes received and not yet consumed
  bool stale_ = true;             // unasked bytes may come: drained before the next exchange
  Address address_;               // what the adapter is addressed to; pad -1 unknown
  int eoi_ = -1;                  // last "++eoi" sent; -1 unknown
  int readTmoMs_ = -1;            // last "++read_tmo_ms" sent; -1 unknown
  int marksOwed_ = 0;             // marks sent whose answers have not come yet
  std::string version_;
  std::string linkError_;
};

}  // namespace veridane
