// The Prologix-compatible adapter: start-up, handles, status and the calls that move no
// message bytes.
#include "gpib/backends/prologix_adapter.h"

#include <algorithm>
#include <cctype>

namespace veridane {

namespace {

constexpr int kMaxAddress = 30;
constexpr int kIbaPad = 1;
constexpr int kIbaSad = 2;
constexpr int kIbaEot = 4;

bool ValidSecondary(int sad) { return sad == 0 || (sad >= 0x60 && sad <= 0x7E); }

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

PrologixAdapter::PrologixAdapter(std::unique_ptr<ByteTransport> transport, PrologixOptions options)
    : transport_(std::move(transport)), options_(options) {}

bool PrologixAdapter::Start(std::string& error) {
  transport_->Discard();
  inbox_.clear();
  version_.clear();
  markPending_ = false;
  for (int attempt = 0; attempt < 2 && version_.empty(); ++attempt) {
    bool linkFailed = false;
    std::optional<std::string> line;
    if (Send("++ver\n")) line = ReadLine(options_.startSeconds, linkFailed);
    if (!linkError_.empty()) {
      error = "The GPIB adapter on " + transport_->Describe() + " cannot be used: " + linkError_;
      return false;
    }
    if (line) version_ = Trimmed(*line);
  }
  if (version_.empty()) {
    error = "The GPIB adapter on " + transport_->Describe() +
            " does not answer \"++ver\". Check that it is a Prologix-compatible adapter (Prologix, AR488), that it "
            "is powered and connected, and that no other program is using it.";
    return false;
  }
  // A Prologix would otherwise write every setting below into its EEPROM on each start; an
  // AR488 takes "++savecfg" as the order to save, so it is not sent there.
  std::vector<std::string> setup;
  if (options_.dialect == AdapterDialect::kPrologix) setup.push_back("++savecfg 0");
  for (const char* command : {"++mode 1", "++auto 0", "++eoi 1", "++eos 3", "++eot_enable 1", "++eot_char 4"}) {
    setup.push_back(command);
  }
  for (const std::string& command : setup) {
    if (!Command(command)) {
      error = "The GPIB adapter on " + transport_->Describe() + " cannot be used: " + linkError_;
      return false;
    }
  }
  eoi_ = 1;
  transport_->Discard();
  inbox_.clear();
  return true;
}

bool PrologixAdapter::IsAr488() const {
  std::string lower = version_;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.find("ar488") != std::string::npos;
}

bool PrologixAdapter::IsMark(const std::string& line) const {
  // The answer to the mark may follow the bytes of an answer cut short on the same line.
  return !version_.empty() && Trimmed(line).ends_with(version_);
}

// --- status ---

PrologixAdapter::Handle* PrologixAdapter::Find(int ud) {
  auto it = handles_.find(ud);
  if (it != handles_.end()) return &it->second;
  Fail(kEdvr);
  return nullptr;
}

bool PrologixAdapter::CheckBoard(int board) {
  if (board == 0) return true;
  Fail(kEneb);
  return false;
}

void PrologixAdapter::Ok(int32_t bits, int32_t count) {
  // iberr keeps its last value, as a driver's does: it means something only with ERR.
  status_.ibsta = kCmpl | bits;
  status_.ibcntl = count;
}

void PrologixAdapter::Fail(int iberr, int32_t bits) { status_ = {kErr | kCmpl | bits, iberr, 0}; }

void PrologixAdapter::LinkFailed() {
  linkError_ = transport_->LastError();
  if (linkError_.empty()) linkError_ = "the link to the adapter failed";
  // The adapter lost track of whatever was under way; nothing it said can be trusted now.
  address_ = Address{};
  eoi_ = -1;
  readTmoMs_ = -1;
  unread_.clear();
  inbox_.clear();
  Fail(kEdvr);
}

double PrologixAdapter::TimeoutOf(const Handle& handle) const {
  // Code 0 means "no timeout" to a board driver; a program waiting for ever on an adapter
  // that lost its device could only be killed, so it waits as long as the longest code.
  constexpr double kLongestTimeout = 1000;
  return handle.tmo == 0 ? kLongestTimeout : TimeoutSeconds(handle.tmo);
}

// --- board calls ---

void PrologixAdapter::SendIFC(int board) {
  if (!CheckBoard(board) || !Settle() || !Command("++ifc")) return;
  // Interface clear ends every transfer: the devices drop their half-read answers too.
  unread_.clear();
  Ok();
}

void PrologixAdapter::ibsre(int board, int value) {
  if (!CheckBoard(board) || !Settle()) return;
  if (options_.dialect == AdapterDialect::kAr488 && !Command(value ? "++ren 1" : "++ren 0")) return;
  Ok();
}

void PrologixAdapter::DevClear(int board, int address) {
  if (!CheckBoard(board)) return;
  Address target{address & 0xFF, (address >> 8) & 0xFF};
  if (address < 0 || target.pad > kMaxAddress || !ValidSecondary(target.sad)) {
    Fail(kEarg);
    return;
  }
  if (!Settle() || !SelectAddress(target) || !Command("++clr")) return;
  unread_.erase(target.Key());
  Ok();
}

// --- handles ---

int PrologixAdapter::ibdev(int board, int pad, int sad, int tmo, int eot, int /*eos*/) {
  if (!CheckBoard(board)) return -1;
  if (pad < 0 || pad > kMaxAddress || !ValidSecondary(sad) || tmo < 0 || tmo > 17) {
    Fail(kEarg);
    return -1;
  }
  int ud = nextHandle_++;
  handles_[ud] = Handle{pad, sad, tmo, eot != 0};
  Ok();
  return ud;
}

void PrologixAdapter::ibpad(int ud, int pad) {
  Handle* handle = Find(ud);
  if (!handle) return;
  if (pad < 0 || pad > kMaxAddress) {
    Fail(kEarg);
    return;
  }
  handle->pad = pad;
  Ok();
}

void PrologixAdapter::ibtmo(int ud, int code) {
  Handle* handle = Find(ud);
  if (!handle) return;
  if (code < 0 || code > 17) {
    Fail(kEarg);
    return;
  }
  // The adapter hears of it ("++read_tmo_ms") with the next read of this handle: the handles
  // share one adapter setting.
  handle->tmo = code;
  Ok();
}

void PrologixAdapter::ibask(int ud, int option, int& value) {
  Handle* handle = Find(ud);
  if (!handle) return;
  switch (option) {
    case kIbaPad: value = handle->pad; break;
    case kIbaSad: value = handle->sad; break;
    case kIbaTmo: value = handle->tmo; break;
    case kIbaEot: value = handle->eot ? 1 : 0; break;
    default: Fail(kEarg); return;
  }
  Ok();
}

void PrologixAdapter::ibwait(int ud, int mask) {
  Handle* handle = Find(ud);
  if (!handle) return;
  // Every transfer is over when its call returns, so a wait that accepts CMPL ends at once;
  // one that accepts only TIMO lasts the timeout.
  if ((mask & kCmpl) == 0 && (mask & kTimo) != 0) {
    double until = Now() + TimeoutOf(*handle);
    for (double now = Now(); now < until; now = Now()) {
      std::string ignored;
      if (!transport_->Read(ignored, until - now)) {
        LinkFailed();
        return;
      }
    }
    Ok(kTimo);
    return;
  }
  Ok();
}

void PrologixAdapter::ibclr(int ud) {
  Handle* handle = Find(ud);
  if (!handle) return;
  Address target{handle->pad, handle->sad};
  if (!Settle() || !SelectAddress(target) || !Command("++clr")) return;
  unread_.erase(target.Key());
  Ok();
}

void PrologixAdapter::ibloc(int ud) {
  Handle* handle = Find(ud);
  if (!handle) return;
  if (!Settle() || !SelectAddress({handle->pad, handle->sad}) || !Command("++loc")) return;
  Ok();
}

void PrologixAdapter::ibrsp(int ud, uint8_t& statusByte) {
  Handle* handle = Find(ud);
  if (!handle) return;
  bool linkFailed = false;
  double seconds = TimeoutOf(*handle);
  int adapterMs = static_cast<int>(std::clamp(seconds * 1000, 1.0, 3000.0));
  std::optional<int> answer = Poll({handle->pad, handle->sad}, adapterMs, linkFailed);
  if (linkFailed) return;
  if (!answer) {
    Fail(kEabo, kTimo);
    return;
  }
  statusByte = static_cast<uint8_t>(*answer);
  Ok(0, 1);
}

void PrologixAdapter::FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results,
                               int limit) {
  if (!CheckBoard(board)) return;
  if (limit < 1) {
    Fail(kEarg);
    return;
  }
  if (!Settle()) return;
  std::vector<int16_t> answering;
  std::optional<std::vector<int>> searched;
  if (IsAr488()) {
    bool linkFailed = false;
    searched = FindListenersAr488(linkFailed);
    if (linkFailed) return;
  }
  for (int16_t entry : addresses) {
    if (entry == kNoAddr) break;
    Address target{entry & 0xFF, (entry >> 8) & 0xFF};
    if (entry < 0 || target.pad > kMaxAddress || !ValidSecondary(target.sad)) {
      Fail(kEarg);
      return;
    }
    if (std::find(answering.begin(), answering.end(), entry) != answering.end()) continue;
    bool present = target.pad == 0 && target.sad == 0;  // the adapter itself is the controller
    if (!present && searched && target.sad == 0) {
      present = std::find(searched->begin(), searched->end(), target.pad) != searched->end();
    } else if (!present) {
      bool linkFailed = false;
      present = Poll(target, options_.probeTimeoutMs, linkFailed).has_value();
      if (linkFailed) return;
    }
    if (present) answering.push_back(entry);
  }

  if (results.size() < static_cast<size_t>(limit)) results.resize(limit, 0);
  size_t stored = std::min(answering.size(), static_cast<size_t>(limit));
  std::copy_n(answering.begin(), stored, results.begin());
  if (stored < static_cast<size_t>(limit)) results[stored] = 0;

  bool instrument = std::any_of(answering.begin(), answering.end(), [](int16_t a) { return a != 0; });
  if (!instrument) {
    Fail(kEbus);  // the controller hearing itself is no listener
  } else if (answering.size() > static_cast<size_t>(limit)) {
    Fail(kEtab);
    status_.ibcntl = static_cast<int32_t>(stored);
  } else {
    Ok(0, static_cast<int32_t>(stored));
  }
}

}  // namespace veridane
