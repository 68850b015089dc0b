#include "gpib/backends/visa_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "gpib/backends/absent_board.h"

namespace veridane {

namespace {

// The values the VISA standard fixes.
constexpr int32_t kViSuccess = 0;
constexpr int32_t kViSuccessMaxCnt = 0x3FFF0006;
constexpr int32_t kViErrorTmo = static_cast<int32_t>(0xBFFF0015);
constexpr int32_t kViErrorNListeners = static_cast<int32_t>(0xBFFF005F);
constexpr int32_t kViErrorRsrcNFound = static_cast<int32_t>(0xBFFF0011);
constexpr uint32_t kViAttrTmoValue = 0x3FFF001A;
constexpr uint32_t kViAttrSendEndEn = 0x3FFF0016;
constexpr uint32_t kViAttrTermCharEn = 0x3FFF0038;
constexpr uint32_t kViAttrRsrcManfName = 0xBFFF0174;
constexpr uint32_t kViAttrRsrcImplVersion = 0x3FFF0003;
constexpr uint16_t kViGpibRenDeassert = 0;
constexpr uint16_t kViGpibRenAssert = 1;
constexpr uint16_t kViGpibRenAddressGtl = 6;

constexpr int32_t kEcap = 11;  // no capability for the operation
// A file received through ibrdf is a message, not a disk image.
constexpr size_t kMaxFileMessage = size_t{64} << 20;

int TimeoutMs(int code) {
  // Code 0 is "no timeout" to a board driver; a program waiting for ever could only be killed.
  return code == 0 ? 1000 * 1000 : std::max(1, static_cast<int>(TimeoutSeconds(code) * 1000));
}

template <typename T>
void Bind(void* library, const char* name, T& slot) {
  slot = reinterpret_cast<T>(::dlsym(library, name));
}

}  // namespace

struct VisaFunctions {
  int32_t (*viOpenDefaultRM)(uint32_t*) = nullptr;
  int32_t (*viOpen)(uint32_t, const char*, uint32_t, uint32_t, uint32_t*) = nullptr;
  int32_t (*viClose)(uint32_t) = nullptr;
  int32_t (*viRead)(uint32_t, unsigned char*, uint32_t, uint32_t*) = nullptr;
  int32_t (*viWrite)(uint32_t, const unsigned char*, uint32_t, uint32_t*) = nullptr;
  int32_t (*viReadSTB)(uint32_t, uint16_t*) = nullptr;
  int32_t (*viClear)(uint32_t) = nullptr;
  int32_t (*viSetAttribute)(uint32_t, uint32_t, uint64_t) = nullptr;
  int32_t (*viGetAttribute)(uint32_t, uint32_t, void*) = nullptr;
  int32_t (*viGpibControlREN)(uint32_t, uint16_t) = nullptr;
  int32_t (*viGpibSendIFC)(uint32_t) = nullptr;
  int32_t (*viFindRsrc)(uint32_t, const char*, uint32_t*, uint32_t*, char*) = nullptr;
  int32_t (*viFindNext)(uint32_t, char*) = nullptr;
};

std::unique_ptr<VisaLibrary> VisaLibrary::Load(int board, const std::string& path, const VisaLibraryOptions& options,
                                               std::string& error) {
  void* library = nullptr;
  std::string loaded;
  const std::vector<std::string> tried = path.empty() ? options.candidates : std::vector<std::string>{path};
  std::string why;
  for (const std::string& name : tried) {
    library = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library) {
      loaded = name;
      break;
    }
    if (const char* reason = ::dlerror()) why = reason;
  }
  if (!library) {
    if (path.empty()) {
      std::string names;
      for (const std::string& name : tried) names += (names.empty() ? "" : ", ") + name;
      error = "No VISA library is installed (looked for " + names +
              "). Install the VISA of your GPIB board (NI-VISA, Keysight IO Libraries Suite, R&S VISA), or name its "
              "library in the setting VisaLibrary.";
    } else {
      error = "The VISA library " + path + " named by the setting VisaLibrary cannot be loaded: " + why;
    }
    return nullptr;
  }
  auto f = std::make_unique<VisaFunctions>();
  Bind(library, "viOpenDefaultRM", f->viOpenDefaultRM);
  Bind(library, "viOpen", f->viOpen);
  Bind(library, "viClose", f->viClose);
  Bind(library, "viRead", f->viRead);
  Bind(library, "viWrite", f->viWrite);
  Bind(library, "viReadSTB", f->viReadSTB);
  Bind(library, "viClear", f->viClear);
  Bind(library, "viSetAttribute", f->viSetAttribute);
  Bind(library, "viGetAttribute", f->viGetAttribute);
  Bind(library, "viGpibControlREN", f->viGpibControlREN);
  Bind(library, "viGpibSendIFC", f->viGpibSendIFC);
  Bind(library, "viFindRsrc", f->viFindRsrc);
  Bind(library, "viFindNext", f->viFindNext);
  if (!f->viOpenDefaultRM || !f->viOpen || !f->viClose || !f->viRead || !f->viWrite || !f->viReadSTB || !f->viClear ||
      !f->viSetAttribute || !f->viGpibControlREN) {
    ::dlclose(library);
    error = "The library " + loaded + " is not a VISA library with GPIB support (it lacks viOpen, viRead, viReadSTB "
            "or viGpibControlREN).";
    return nullptr;
  }
  uint32_t rm = 0;
  if (const int32_t status = f->viOpenDefaultRM(&rm); status < kViSuccess) {
    ::dlclose(library);
    error = "The VISA library " + loaded + " does not start (viOpenDefaultRM gave " + std::to_string(status) +
            "): check its installation.";
    return nullptr;
  }
  std::unique_ptr<VisaLibrary> visa(new VisaLibrary(library, loaded, std::move(f), rm, board));
  const std::string intfc = "GPIB" + std::to_string(board) + "::INTFC";
  if (visa->f_->viOpen(rm, intfc.c_str(), 0, 0, &visa->interface_) < kViSuccess) {
    error = "The VISA library " + loaded + " has no GPIB board " + std::to_string(board) + " (" + intfc +
            "): check that the board is installed and configured in your VISA's tools.";
    return nullptr;
  }
  return visa;
}

VisaLibrary::VisaLibrary(void* library, std::string path, std::unique_ptr<VisaFunctions> f, uint32_t rm, int board)
    : library_(library), path_(std::move(path)), f_(std::move(f)), rm_(rm), board_(board) {
  if (f_->viGetAttribute) {
    char maker[256] = {};
    uint32_t version = 0;
    if (f_->viGetAttribute(rm_, kViAttrRsrcManfName, maker) >= kViSuccess) description_ = maker;
    if (f_->viGetAttribute(rm_, kViAttrRsrcImplVersion, &version) >= kViSuccess) {
      description_ += (description_.empty() ? "version " : " version ") + std::to_string(version >> 20) + "." +
                      std::to_string((version >> 8) & 0xFFF) + "." + std::to_string(version & 0xFF);
    }
  }
}

VisaLibrary::~VisaLibrary() {
  // Closing the resource manager closes every session it opened.
  f_->viClose(rm_);
  ::dlclose(library_);
}

void VisaLibrary::FailWith(int32_t visaStatus, int32_t count) {
  if (visaStatus == kViErrorTmo) {
    status_ = {kErr | kTimo | kCmpl, kEabo, count};
  } else if (visaStatus == kViErrorNListeners) {
    status_ = {kErr | kCmpl, kEnol, count};
  } else {
    status_ = {kErr | kCmpl, kEdvr, count};
  }
}

uint32_t VisaLibrary::Session(int pad, int sad) {
  const int key = pad * 256 + sad;
  if (auto it = sessions_.find(key); it != sessions_.end()) return it->second;
  std::string resource = "GPIB" + std::to_string(board_) + "::" + std::to_string(pad);
  if (sad != 0) resource += "::" + std::to_string(sad - 0x60);
  resource += "::INSTR";
  uint32_t session = 0;
  if (const int32_t result = f_->viOpen(rm_, resource.c_str(), 0, 0, &session); result < kViSuccess) {
    FailWith(result);
    return 0;
  }
  // END alone ends a message, as on a board opened without an end-of-string character.
  f_->viSetAttribute(session, kViAttrTermCharEn, 0);
  sessions_[key] = session;
  return session;
}

bool VisaLibrary::Prepare(uint32_t session, int timeoutMs, bool eot) {
  const int32_t a = f_->viSetAttribute(session, kViAttrTmoValue, static_cast<uint64_t>(timeoutMs));
  const int32_t b = f_->viSetAttribute(session, kViAttrSendEndEn, eot ? 1 : 0);
  if (a < kViSuccess || b < kViSuccess) {
    FailWith(a < kViSuccess ? a : b);
    return false;
  }
  return true;
}

std::optional<std::vector<int16_t>> VisaLibrary::ListedInstruments() {
  if (!f_->viFindRsrc || !f_->viFindNext) return std::nullopt;
  const std::string expression = "GPIB" + std::to_string(board_) + "::?*INSTR";
  uint32_t list = 0, count = 0;
  char description[256] = {};
  const int32_t result = f_->viFindRsrc(rm_, expression.c_str(), &list, &count, description);
  std::vector<int16_t> found;
  if (result == kViErrorRsrcNFound) return found;
  if (result < kViSuccess) return std::nullopt;
  for (uint32_t i = 0; i < count; ++i) {
    if (i > 0 && f_->viFindNext(list, description) < kViSuccess) break;
    // "GPIBn::pad::INSTR" or "GPIBn::pad::sad::INSTR"; anything else is not on this bus.
    const std::string text = description;
    const std::string prefix = "GPIB" + std::to_string(board_) + "::";
    if (!text.starts_with(prefix) || !text.ends_with("::INSTR")) continue;
    const std::string middle = text.substr(prefix.size(), text.size() - prefix.size() - 7);
    const size_t colons = middle.find("::");
    try {
      const int pad = std::stoi(middle.substr(0, colons));
      const int sad = colons == std::string::npos ? 0 : std::stoi(middle.substr(colons + 2)) + 0x60;
      if (ValidAddress(pad, sad)) found.push_back(static_cast<int16_t>(pad | (sad << 8)));
    } catch (const std::exception&) {
    }
  }
  f_->viClose(list);
  return found;
}

// --- board calls ---

void VisaLibrary::SendIFC(int board) {
  if (!CheckBoard(board)) return;
  if (!f_->viGpibSendIFC) {
    Fail(kEcap);
    return;
  }
  const int32_t result = f_->viGpibSendIFC(interface_);
  if (result < kViSuccess) return FailWith(result);
  Ok();
}

void VisaLibrary::ibsre(int board, int value) {
  if (!CheckBoard(board)) return;
  const int32_t result = f_->viGpibControlREN(interface_, value ? kViGpibRenAssert : kViGpibRenDeassert);
  if (result < kViSuccess) return FailWith(result);
  Ok();
}

void VisaLibrary::DevClear(int board, int address) {
  if (!CheckBoard(board)) return;
  const int pad = address & 0xFF, sad = (address >> 8) & 0xFF;
  if (address < 0 || !ValidAddress(pad, sad)) {
    Fail(kEarg);
    return;
  }
  const uint32_t session = Session(pad, sad);
  if (!session || !Prepare(session, TimeoutMs(11), true)) return;
  if (const int32_t result = f_->viClear(session); result < kViSuccess) return FailWith(result);
  Ok();
}

void VisaLibrary::FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results,
                           int limit) {
  if (!CheckBoard(board)) return;
  if (limit < 1) {
    Fail(kEarg);
    return;
  }
  // The library's own search of the bus where it has one (a vendor's VISA finds the GPIB
  // listeners as a board's FindLstn does); otherwise each address is polled.
  const std::optional<std::vector<int16_t>> listed = ListedInstruments();
  std::vector<int16_t> answering;
  for (int16_t entry : addresses) {
    if (entry == kNoAddr) break;
    const int pad = entry & 0xFF, sad = (entry >> 8) & 0xFF;
    if (entry < 0 || !ValidAddress(pad, sad)) {
      Fail(kEarg);
      return;
    }
    if (std::find(answering.begin(), answering.end(), entry) != answering.end()) continue;
    bool present = pad == 0 && sad == 0;  // the board itself is the controller
    if (!present && listed) {
      present = std::find(listed->begin(), listed->end(), entry) != listed->end();
    } else if (!present) {
      const uint32_t session = Session(pad, sad);
      uint16_t stb = 0;
      present = session && Prepare(session, options_.probeTimeoutMs, true) && f_->viReadSTB(session, &stb) >= kViSuccess;
    }
    if (present) answering.push_back(entry);
  }
  ListListeners(answering, results, limit);
}

// --- handles ---

void VisaLibrary::ibwait(int ud, int mask) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  // Every transfer is over when its call returns: a wait that accepts CMPL ends at once, one
  // that accepts only TIMO lasts the timeout.
  if ((mask & kCmpl) == 0 && (mask & kTimo) != 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(TimeoutMs(handle->tmo)));
    Ok(kTimo);
    return;
  }
  Ok();
}

void VisaLibrary::ibclr(int ud) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  const uint32_t session = Session(handle->pad, handle->sad);
  if (!session || !Prepare(session, TimeoutMs(handle->tmo), handle->eot)) return;
  if (const int32_t result = f_->viClear(session); result < kViSuccess) return FailWith(result);
  Ok();
}

void VisaLibrary::ibloc(int ud) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  const uint32_t session = Session(handle->pad, handle->sad);
  if (!session) return;
  if (const int32_t result = f_->viGpibControlREN(session, kViGpibRenAddressGtl); result < kViSuccess) {
    return FailWith(result);
  }
  Ok();
}

void VisaLibrary::ibrsp(int ud, uint8_t& statusByte) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  const uint32_t session = Session(handle->pad, handle->sad);
  if (!session || !Prepare(session, TimeoutMs(handle->tmo), handle->eot)) return;
  uint16_t stb = 0;
  if (const int32_t result = f_->viReadSTB(session, &stb); result < kViSuccess) return FailWith(result);
  statusByte = static_cast<uint8_t>(stb);
  Ok(0, 1);
}

// --- transfers ---

void VisaLibrary::ibwrt(int ud, std::string_view data) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  const uint32_t session = Session(handle->pad, handle->sad);
  if (!session || !Prepare(session, TimeoutMs(handle->tmo), handle->eot)) return;
  uint32_t written = 0;
  const int32_t result = f_->viWrite(session, reinterpret_cast<const unsigned char*>(data.data()),
                                     static_cast<uint32_t>(data.size()), &written);
  if (result < kViSuccess) return FailWith(result, static_cast<int32_t>(written));
  Ok(0, static_cast<int32_t>(written));
}

void VisaLibrary::ibrd(int ud, std::string& buffer) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  const uint32_t session = Session(handle->pad, handle->sad);
  if (!session || !Prepare(session, TimeoutMs(handle->tmo), handle->eot)) return;
  uint32_t got = 0;
  const int32_t result = f_->viRead(session, reinterpret_cast<unsigned char*>(buffer.data()),
                                    static_cast<uint32_t>(buffer.size()), &got);
  if (result < kViSuccess) return FailWith(result, static_cast<int32_t>(got));
  // VI_SUCCESS: the message ended (END); a full buffer or a termination character: it goes on.
  Ok(result == kViSuccess ? kEnd : 0, static_cast<int32_t>(got));
}

void VisaLibrary::ibrdf(int ud, const std::string& path) {
  if (!Find(ud)) return;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) {
    status_ = {kErr, kEfso, 0};
    return;
  }
  size_t total = 0;
  while (true) {
    std::string chunk(64 * 1024, '\0');
    ibrd(ud, chunk);
    const GpibStatus read = status_;
    const size_t got = static_cast<size_t>(std::max(read.ibcntl, 0));
    total += got;
    if (!file.write(chunk.data(), static_cast<std::streamsize>(got))) {
      status_ = {kErr, kEfso, static_cast<int32_t>(total)};
      return;
    }
    if (read.ibsta & kErr) {
      status_.ibcntl = static_cast<int32_t>(total);
      return;
    }
    if (read.ibsta & kEnd) break;
    if (total > kMaxFileMessage) {
      status_ = {kErr, kEbus, static_cast<int32_t>(total)};
      return;
    }
  }
  file.flush();
  Ok(kEnd, static_cast<int32_t>(total));
}

std::unique_ptr<Gpib488> OpenVisaBoard(int board, const std::string& path, std::string& error) {
  error.clear();
  std::unique_ptr<VisaLibrary> visa = VisaLibrary::Load(board, path, VisaLibraryOptions{}, error);
  if (visa) return visa;
  return std::make_unique<AbsentBoard>();
}

}  // namespace veridane
