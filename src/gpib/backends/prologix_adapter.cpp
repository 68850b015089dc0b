// The Prologix-compatible adapter: start-up, handles, status and the calls that move no
// message bytes.
#include "gpib/backends/prologix_adapter.h"

#include <algorithm>
#include <cctype>

namespace veridane {

namespace {

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
  outbox_.clear();
  asked_.reset();
  version_.clear();
  marksOwed_ = 0;
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
  stale_ = false;
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

void PrologixAdapter::LinkFailed() {
  linkError_ = transport_->LastError();
  if (linkError_.empty()) linkError_ = "the link to the adapter failed";
  // The adapter lost track of whatever was under way; nothing it said can be trusted now.
  address_ = Address{};
  eoi_ = -1;
  readTmoMs_ = -1;
  unread_.clear();
  asked_.reset();
  inbox_.clear();
  outbox_.clear();
  Fail(kEdvr);
}

double PrologixAdapter::TimeoutOf(const DeviceHandle& handle) const {
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
  if (address < 0 || !ValidAddress(target.pad, target.sad)) {
    Fail(kEarg);
    return;
  }
  if (!Settle()) return;
  SelectAddress(target);
  if (!Command("++clr")) return;
  unread_.erase(target.Key());
  Ok();
}

// --- handles ---

void PrologixAdapter::ibwait(int ud, int mask) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  // Every transfer is over when its call returns, so a wait that accepts CMPL ends at once;
  // one that accepts only TIMO lasts the timeout.
  if ((mask & kCmpl) == 0 && (mask & kTimo) != 0) {
    double until = Now() + TimeoutOf(*handle);
    for (double now = Now(); now < until; now = Now()) {
      // The answer of an asked read is kept for the read that takes it; anything else is
      // dropped as it comes.
      std::string arrived;
      if (!transport_->Read(arrived, until - now)) {
        LinkFailed();
        return;
      }
      if (asked_ && inbox_.size() + arrived.size() <= AnswerFraming::kBlockLimit) {
        inbox_ += arrived;
      } else if (!arrived.empty()) {
        stale_ = true;
      }
    }
    Ok(kTimo);
    return;
  }
  Ok();
}

void PrologixAdapter::ibclr(int ud) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  Address target{handle->pad, handle->sad};
  if (!Settle()) return;
  SelectAddress(target);
  if (!Command("++clr")) return;
  unread_.erase(target.Key());
  Ok();
}

void PrologixAdapter::ibloc(int ud) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  if (!Settle()) return;
  SelectAddress({handle->pad, handle->sad});
  if (!Command("++loc")) return;
  Ok();
}

void PrologixAdapter::ibrsp(int ud, uint8_t& statusByte) {
  DeviceHandle* handle = Find(ud);
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
  // The addresses to look at, and which of them only a poll can tell.
  std::vector<int16_t> entries;
  std::vector<Address> polled;
  for (int16_t entry : addresses) {
    if (entry == kNoAddr) break;
    Address target{entry & 0xFF, (entry >> 8) & 0xFF};
    if (entry < 0 || !ValidAddress(target.pad, target.sad)) {
      Fail(kEarg);
      return;
    }
    if (std::find(entries.begin(), entries.end(), entry) != entries.end()) continue;
    entries.push_back(entry);
    const bool controller = target.pad == 0 && target.sad == 0;  // the adapter itself
    if (!controller && !(searched && target.sad == 0)) polled.push_back(target);
  }
  bool linkFailed = false;
  const std::vector<std::optional<int>> polls = Polls(polled, options_.probeTimeoutMs, linkFailed);
  if (linkFailed) return;
  for (int16_t entry : entries) {
    const Address target{entry & 0xFF, (entry >> 8) & 0xFF};
    bool present = target.pad == 0 && target.sad == 0;
    if (!present && searched && target.sad == 0) {
      present = std::find(searched->begin(), searched->end(), target.pad) != searched->end();
    } else if (!present) {
      const auto at = std::find(polled.begin(), polled.end(), target) - polled.begin();
      present = polls[static_cast<size_t>(at)].has_value();
    }
    if (present) answering.push_back(entry);
  }

  ListListeners(answering, results, limit);
}

}  // namespace veridane
