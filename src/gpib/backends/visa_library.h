#pragma once
// A GPIB board reached through a VISA library (the vendors' VISA: NI-VISA, Keysight IO
// Libraries, R&S VISA), loaded at run time, for labs whose boards are served only through it.
//
// The driver calls map onto VISA as a board driver's would behave:
// - a handle is a session on "GPIBn::pad[::sad]::INSTR", opened once per address and kept;
//   ibpad re-points the handle to the session of the new address;
// - ibwrt is viWrite with END on the last byte as the handle's EOI mode says; ibrd is viRead
//   with the termination character off, so END alone ends a message (VI_SUCCESS: END,
//   VI_SUCCESS_MAX_CNT: the buffer was full);
// - timeouts: the handle's code becomes VI_ATTR_TMO_VALUE in ms; VI_ERROR_TMO is ERR|TIMO with
//   EABO, bytes that came before it counted;
// - ibrsp viReadSTB, ibclr viClear, ibloc viGpibControlREN(GTL), ibsre and SendIFC on the
//   board's "GPIBn::INTFC" session, DevClear viClear on the address's session;
// - FindLstn takes the listeners the library finds ("GPIBn::?*INSTR", which a vendor's VISA
//   answers with a search of the bus, as a board's FindLstn); a library without viFindRsrc
//   gets a serial poll of every address of the list under a short timeout;
// - VI_ERROR_NLISTENERS is ENOL; any other error EDVR, the library's own description kept
//   for the technician.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gpib_handle_table.h"

namespace veridane {

struct VisaLibraryOptions {
  // Tried in order when no library is named.
  std::vector<std::string> candidates{"libvisa.so", "libvisa.so.0", "libiovisa.so", "libktvisa32.so",
                                      "librsvisa.so"};
  int probeTimeoutMs = 25;
};

struct VisaFunctions;

class VisaLibrary : public GpibHandleTable {
 public:
  // Loads the named library, or the first of the candidates; opens the resource manager and
  // the board's interface session. nullptr with a message for the technician when it cannot.
  static std::unique_ptr<VisaLibrary> Load(int board, const std::string& path, const VisaLibraryOptions& options,
                                           std::string& error);
  ~VisaLibrary() override;
  VisaLibrary(const VisaLibrary&) = delete;
  VisaLibrary& operator=(const VisaLibrary&) = delete;

  const std::string& Path() const { return path_; }
  // The library's maker and version, as its resource manager says ("" when it does not).
  const std::string& Description() const { return description_; }

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
  VisaLibrary(void* library, std::string path, std::unique_ptr<VisaFunctions> f, uint32_t rm, int board);
  // The session of an address, opened on first use; 0 with the status set when it cannot be.
  uint32_t Session(int pad, int sad);
  bool Prepare(uint32_t session, int timeoutMs, bool eot);
  // The instruments the library's viFindRsrc lists on this board (pad | sad << 8); nullopt
  // when it has no such search or the search failed.
  std::optional<std::vector<int16_t>> ListedInstruments();
  // Status from a VISA result that is an error.
  void FailWith(int32_t visaStatus, int32_t count = 0);

  void* library_;
  std::string path_;
  std::unique_ptr<VisaFunctions> f_;
  uint32_t rm_;
  uint32_t interface_ = 0;
  int board_;
  std::string description_;
  VisaLibraryOptions options_;
  std::map<int, uint32_t> sessions_;  // by pad * 256 + sad
};

// The VISA board for the registry: the library or a back end acting as a missing board with
// the reason in `error`.
std::unique_ptr<Gpib488> OpenVisaBoard(int board, const std::string& path, std::string& error);

}  // namespace veridane
