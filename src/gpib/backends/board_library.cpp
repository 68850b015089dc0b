// The board library's calls: the program's board 0 becomes the bench's board, and after every
// call the status is read back from the library.
#include <algorithm>

#include "gpib/backends/board_library.h"

namespace veridane {

namespace {

constexpr int kEcap = 11;      // no capability for the operation
constexpr int kIbcPad = 0x1;   // ibconfig options, as NI's ibtmo and ibpad macros use them
constexpr int kIbcTmo = 0x3;
constexpr uint16_t kLibraryNoAddr = 0xFFFF;

}  // namespace

bool BoardLibrary::MapBoard(int board, int& libraryBoard) {
  if (board == 0) {
    libraryBoard = board_;
    return true;
  }
  status_ = {kErr, kEneb, 0};
  return false;
}

void BoardLibrary::ReadStatus() {
  if (f_.threadIbsta) {
    status_.ibsta = f_.threadIbsta();
  } else if (f_.ibsta) {
    status_.ibsta = *f_.ibsta;
  }
  if (f_.threadIberr) {
    status_.iberr = f_.threadIberr();
  } else if (f_.iberr) {
    status_.iberr = *f_.iberr;
  }
  if (f_.threadIbcntl) {
    status_.ibcntl = static_cast<int32_t>(f_.threadIbcntl());
  } else if (f_.threadIbcnt) {
    status_.ibcntl = f_.threadIbcnt();
  } else if (f_.ibcntl) {
    status_.ibcntl = static_cast<int32_t>(*f_.ibcntl);
  } else if (f_.ibcnt) {
    status_.ibcntl = *f_.ibcnt;
  }
}

void BoardLibrary::SendIFC(int board) {
  int b = 0;
  if (!MapBoard(board, b)) return;
  f_.SendIFC(b);
  ReadStatus();
}

void BoardLibrary::ibsre(int board, int value) {
  int b = 0;
  if (!MapBoard(board, b)) return;
  f_.ibsre(b, value);
  ReadStatus();
}

void BoardLibrary::FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results,
                            int limit) {
  int b = 0;
  if (!MapBoard(board, b)) return;
  if (limit < 1) {
    status_ = {kErr, kEarg, 0};
    return;
  }
  // The library needs its list ended by its no-address mark whatever the caller passed.
  std::vector<uint16_t> list;
  for (int16_t a : addresses) {
    if (a == kNoAddr) break;
    list.push_back(static_cast<uint16_t>(a));
  }
  list.push_back(kLibraryNoAddr);
  std::vector<uint16_t> found(static_cast<size_t>(limit), 0);
  f_.FindLstn(b, list.data(), found.data(), limit);
  ReadStatus();
  // The program stops at the first 0; a library that ends its list with its no-address mark
  // ends it the same way.
  if (results.size() < found.size()) results.resize(found.size(), 0);
  for (size_t i = 0; i < found.size(); ++i) {
    results[i] = found[i] == kLibraryNoAddr ? 0 : static_cast<int16_t>(found[i]);
  }
}

int BoardLibrary::ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
  int b = 0;
  if (!MapBoard(board, b)) return -1;
  int ud = f_.ibdev(b, pad, sad, tmo, eot, eos);
  ReadStatus();
  return ud;
}

void BoardLibrary::ibpad(int ud, int pad) {
  if (f_.ibpad) {
    f_.ibpad(ud, pad);
  } else {
    f_.ibconfig(ud, kIbcPad, pad);
  }
  ReadStatus();
}

void BoardLibrary::ibtmo(int ud, int code) {
  if (f_.ibtmo) {
    f_.ibtmo(ud, code);
  } else {
    f_.ibconfig(ud, kIbcTmo, code);
  }
  ReadStatus();
}

void BoardLibrary::ibclr(int ud) {
  f_.ibclr(ud);
  ReadStatus();
}

void BoardLibrary::ibrsp(int ud, uint8_t& statusByte) {
  char poll = 0;
  f_.ibrsp(ud, &poll);
  ReadStatus();
  if ((status_.ibsta & kErr) == 0) statusByte = static_cast<uint8_t>(poll);
}

void BoardLibrary::ibwrt(int ud, std::string_view data) {
  f_.ibwrt(ud, data.data(), static_cast<long>(data.size()));
  ReadStatus();
}

void BoardLibrary::ibrd(int ud, std::string& buffer) {
  // The library fills at most the buffer's size from the front; the rest keeps its content.
  f_.ibrd(ud, buffer.data(), static_cast<long>(buffer.size()));
  ReadStatus();
}

void BoardLibrary::ibask(int ud, int option, int& value) {
  f_.ibask(ud, option, &value);
  ReadStatus();
}

void BoardLibrary::ibwait(int ud, int mask) {
  f_.ibwait(ud, mask);
  ReadStatus();
}

void BoardLibrary::ibloc(int ud) {
  f_.ibloc(ud);
  ReadStatus();
}

void BoardLibrary::ibwrtf(int ud, const std::string& path) {
  if (!f_.ibwrtf) {
    status_ = {kErr, kEcap, 0};
    return;
  }
  f_.ibwrtf(ud, path.c_str());
  ReadStatus();
}

void BoardLibrary::ibrdf(int ud, const std::string& path) {
  if (!f_.ibrdf) {
    status_ = {kErr, kEcap, 0};
    return;
  }
  f_.ibrdf(ud, path.c_str());
  ReadStatus();
}

void BoardLibrary::DevClear(int board, int address) {
  int b = 0;
  if (!MapBoard(board, b)) return;
  f_.DevClear(b, static_cast<uint16_t>(address));
  ReadStatus();
}

}  // namespace veridane
