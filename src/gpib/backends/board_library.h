#pragma once
// A GPIB board driven through its vendor's C library, loaded at run time so that the program
// builds and runs on machines without one: linux-gpib (libgpib.so.0) or NI-488.2 for Linux
// (libni4882.so), whichever is installed, or the file the technician named.
//
// The two libraries differ where it matters here:
// - NI's header makes ibtmo and ibpad macros over ibconfig, and its file transfers are the
//   functions ibrdfA/ibwrtfA; linux-gpib exports ibtmo, ibpad, ibrdf and ibwrtf themselves.
//   Each call uses the library's own function when it has one, its NI form otherwise.
// - Status: the per-thread functions ThreadIbsta/ThreadIberr/ThreadIbcntl where the library
//   has them, else NI's Ibsta/Iberr/Ibcnt, else the global variables ibsta/iberr/ibcntl.
// - linux-gpib reaches its board through /dev/gpibN, which needs the kernel module and the
//   right group; NI's library talks to its own driver.
// Neither needs the per-thread registration of the Windows library.
//
// The program always says board 0; the bench's board index is the library's board.
#include <memory>
#include <string>
#include <vector>

#include "platform/gpib488.h"

namespace veridane {

struct BoardLibraryOptions {
  // Tried in order when no library is named.
  std::vector<std::string> candidates{"libgpib.so.0", "libni4882.so", "libni4882.so.1"};
  // Where linux-gpib's device files are.
  std::string deviceFolder = "/dev";
};

// The library's entry points; a null pointer is a function the library does not have.
struct BoardFunctions {
  using Addr = uint16_t;
  int (*ibdev)(int, int, int, int, int, int) = nullptr;
  int (*ibclr)(int) = nullptr;
  int (*ibloc)(int) = nullptr;
  int (*ibrsp)(int, char*) = nullptr;
  int (*ibwrt)(int, const void*, long) = nullptr;
  int (*ibrd)(int, void*, long) = nullptr;
  int (*ibask)(int, int, int*) = nullptr;
  int (*ibwait)(int, int) = nullptr;
  int (*ibsre)(int, int) = nullptr;
  int (*ibtmo)(int, int) = nullptr;
  int (*ibpad)(int, int) = nullptr;
  int (*ibconfig)(int, int, int) = nullptr;
  int (*ibrdf)(int, const char*) = nullptr;   // ibrdf, or NI's ibrdfA
  int (*ibwrtf)(int, const char*) = nullptr;  // ibwrtf, or NI's ibwrtfA
  void (*SendIFC)(int) = nullptr;
  void (*FindLstn)(int, const Addr*, Addr*, int) = nullptr;
  void (*DevClear)(int, Addr) = nullptr;

  // Status, first found wins: per-thread functions, NI's functions, global variables.
  int (*threadIbsta)() = nullptr;
  int (*threadIberr)() = nullptr;
  long (*threadIbcntl)() = nullptr;
  int (*threadIbcnt)() = nullptr;
  const volatile int* ibsta = nullptr;
  const volatile int* iberr = nullptr;
  const volatile long* ibcntl = nullptr;
  const volatile int* ibcnt = nullptr;
};

class BoardLibrary : public Gpib488 {
 public:
  // Loads the named library, or the first of options.candidates that loads when path is
  // empty. nullptr with a message for the technician (what to install, which group to join)
  // when the library or the board cannot be used.
  static std::unique_ptr<BoardLibrary> Load(int board, const std::string& path, const BoardLibraryOptions& options,
                                            std::string& error);
  ~BoardLibrary() override;
  BoardLibrary(const BoardLibrary&) = delete;
  BoardLibrary& operator=(const BoardLibrary&) = delete;

  // The file that was loaded and whether it is NI's flavour of the interface.
  const std::string& Path() const { return path_; }
  bool IsNi() const { return ni_; }

  // --- Gpib488 ---
  GpibStatus Status() const override { return status_; }
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
  BoardLibrary(void* handle, std::string path, BoardFunctions functions, bool ni, int board);
  // The library's board for the program's board 0; false (ERR, ENEB) for any other.
  bool MapBoard(int board, int& libraryBoard);
  void ReadStatus();

  void* handle_;
  std::string path_;
  BoardFunctions f_;
  bool ni_;
  int board_;
  GpibStatus status_;
};

// The message for a linux-gpib device file that cannot be used, by errno (ENOENT: missing,
// EACCES: no permission); `group` owns the file, empty when unknown.
std::string BoardDeviceMessage(const std::string& devicePath, int error, const std::string& group);

}  // namespace veridane
