// The Prologix-compatible adapter: the protocol steps and the calls that move message bytes.
#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>

#include "gpib/backends/prologix_adapter.h"

namespace veridane {

namespace {

constexpr int kMaxAdapterTimeoutMs = 3000;  // the highest "++read_tmo_ms" adapters accept
// How long a timed-out read waits for its mark before handing the wait to the next call.
constexpr double kTimeoutMarkSeconds = 0.1;

int AdapterTimeoutMs(double seconds) {
  return static_cast<int>(std::clamp(seconds * 1000.0, 1.0, static_cast<double>(kMaxAdapterTimeoutMs)));
}

}  // namespace

std::string EscapeForAdapter(std::string_view data) {
  constexpr char kEsc = 27;
  std::string out;
  out.reserve(data.size() + 8);
  for (char c : data) {
    if (c == '\r' || c == '\n' || c == kEsc || c == '+') out += kEsc;
    out += c;
  }
  return out;
}

bool AnswerExpected(std::string_view message) {
  constexpr size_t kLongestQuery = 256;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
    message.remove_suffix(1);
  }
  if (message.empty() || message.size() > kLongestQuery || message.back() != '?') return false;
  return std::all_of(message.begin(), message.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F;
  });
}

// --- protocol steps ---

bool PrologixAdapter::Send(std::string_view bytes) {
  bool sent = false;
  if (outbox_.empty()) {
    sent = transport_->Write(bytes);
  } else {
    outbox_ += bytes;
    sent = transport_->Write(outbox_);
    outbox_.clear();
  }
  if (sent) return true;
  LinkFailed();
  return false;
}

bool PrologixAdapter::Command(const std::string& command) { return Send(command + "\n"); }

void PrologixAdapter::SelectAddress(const Address& address) {
  if (address == address_) return;
  outbox_ += "++addr " + std::to_string(address.pad);
  if (address.sad != 0) outbox_ += " " + std::to_string(address.sad);
  outbox_ += "\n";
  address_ = address;
}

void PrologixAdapter::SelectEoi(bool eoi) {
  if (eoi_ == (eoi ? 1 : 0)) return;
  outbox_ += eoi ? "++eoi 1\n" : "++eoi 0\n";
  eoi_ = eoi ? 1 : 0;
}

void PrologixAdapter::SelectReadTimeout(int milliseconds) {
  if (readTmoMs_ == milliseconds) return;
  outbox_ += "++read_tmo_ms " + std::to_string(milliseconds) + "\n";
  readTmoMs_ = milliseconds;
}

bool PrologixAdapter::Settle() {
  if (!Park()) return false;
  if (marksOwed_ > 0 && !AwaitMark(options_.markSeconds)) {
    // An adapter that neither finishes nor answers cannot be talked to any more.
    linkError_ = "the adapter keeps sending and does not answer \"++ver\"";
    address_ = Address{};
    eoi_ = -1;
    readTmoMs_ = -1;
    unread_.clear();
    outbox_.clear();
    Fail(kEdvr);
    return false;
  }
  if (stale_) {
    transport_->Discard();
    stale_ = false;
  }
  inbox_.clear();
  return true;
}

bool PrologixAdapter::Park() {
  if (!asked_) return true;
  const AskedRead asked = *asked_;
  asked_.reset();
  Unread& kept = unread_[asked.key];
  kept = Unread{};
  std::string raw = std::move(inbox_);
  inbox_.clear();
  if (!transport_->Read(raw, 0)) {
    LinkFailed();
    return false;
  }
  // Complete already: the adapter is done with it.
  if (!raw.empty() && kept.framing.Scan(raw) != std::string::npos && kept.framing.Closed()) {
    raw.pop_back();
    kept.data = std::move(raw);
    return true;
  }
  // Otherwise the mark ends the adapter's read; everything before its answer is the device's.
  if (!SendMark()) return false;
  const double deadline = Now() + asked.adapterMs / 1000.0 + options_.markSeconds;
  kept.framing = AnswerFraming(kEndChar);
  for (;;) {
    std::string_view text(raw);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    if (text.size() < raw.size() && text.ends_with(version_)) {
      raw.resize(text.size() - version_.size());
      --marksOwed_;
      break;
    }
    const double now = Now();
    if (now >= deadline || raw.size() > AnswerFraming::kBlockLimit) {
      // The mark is still owed: Settle waits for it, and the answer is lost with the link.
      unread_.erase(asked.key);
      stale_ = true;
      return true;
    }
    if (!transport_->Read(raw, deadline - now)) {
      LinkFailed();
      return false;
    }
  }
  if (raw.empty()) {
    // The device had not begun: it still holds its answer for the next read.
    unread_.erase(asked.key);
    return true;
  }
  const size_t end = kept.framing.Scan(raw);
  kept.ended = end != std::string::npos;
  if (kept.ended) raw.pop_back();
  kept.data = std::move(raw);
  return true;
}

bool PrologixAdapter::SendMark() {
  if (version_.empty()) return true;  // not started: there is nothing to mark with
  if (!Command("++ver")) return false;
  ++marksOwed_;
  return true;
}

bool PrologixAdapter::AwaitMark(double seconds) {
  if (marksOwed_ == 0) return true;
  const double deadline = Now() + seconds;
  // Only the unfinished last line is kept: what came before the mark is dropped as it comes,
  // however much an adapter that is still streaming sends.
  std::string pending = std::move(inbox_);
  inbox_.clear();
  while (true) {
    for (size_t lf; (lf = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, lf);
      pending.erase(0, lf + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (IsMark(line) && --marksOwed_ == 0) {
        inbox_ = std::move(pending);
        return true;
      }
    }
    if (pending.size() > version_.size() + 2) pending.erase(0, pending.size() - version_.size() - 2);
    const double now = Now();
    if (now >= deadline) return false;
    if (!transport_->Read(pending, deadline - now)) {
      LinkFailed();
      return false;
    }
  }
}

std::optional<std::string> PrologixAdapter::ReadLine(double seconds, bool& linkFailed) {
  double deadline = Now() + seconds;
  while (true) {
    size_t lf = inbox_.find('\n');
    if (lf != std::string::npos) {
      std::string line = inbox_.substr(0, lf);
      inbox_.erase(0, lf + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    double now = Now();
    if (now >= deadline) return std::nullopt;
    if (!transport_->Read(inbox_, deadline - now)) {
      LinkFailed();
      linkFailed = true;
      return std::nullopt;
    }
  }
}

namespace {

// A status byte as an adapter writes it; some answer an empty line when nobody responds.
std::optional<int> StatusByte(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 || value > 255) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<int> PrologixAdapter::Poll(const Address& address, int timeoutMs, bool& linkFailed) {
  return Polls({address}, timeoutMs, linkFailed).front();
}

std::vector<std::optional<int>> PrologixAdapter::Polls(const std::vector<Address>& addresses, int timeoutMs,
                                                       bool& linkFailed) {
  std::vector<std::optional<int>> answers(addresses.size());
  if (addresses.empty()) return answers;
  if (!Settle()) {
    linkFailed = true;
    return answers;
  }
  SelectReadTimeout(timeoutMs);
  if (version_.empty()) {
    // Without a mark each answer is waited for as long as the adapter may take.
    for (size_t i = 0; i < addresses.size(); ++i) {
      std::string command = "++spoll " + std::to_string(addresses[i].pad);
      if (addresses[i].sad != 0) command += " " + std::to_string(addresses[i].sad);
      if (!Command(command)) {
        linkFailed = true;
        return answers;
      }
      std::optional<std::string> line = ReadLine(timeoutMs / 1000.0 + options_.linkMarginSeconds, linkFailed);
      if (linkFailed) return answers;
      if (line) answers[i] = StatusByte(*line);
    }
    return answers;
  }
  // Every poll with its mark in one write: the adapter works through them in turn, and each
  // poll is over when its mark comes back. An empty address costs the adapter's timeout, a
  // slow link misses no device, and the link's delay is paid once.
  std::string commands;
  for (const Address& address : addresses) {
    commands += "++spoll " + std::to_string(address.pad);
    if (address.sad != 0) commands += " " + std::to_string(address.sad);
    commands += "\n++ver\n";
  }
  if (!Send(commands)) {
    linkFailed = true;
    return answers;
  }
  marksOwed_ += static_cast<int>(addresses.size());
  for (size_t i = 0; i < addresses.size(); ++i) {
    const double deadline = Now() + timeoutMs / 1000.0 + options_.markSeconds;
    while (true) {
      std::optional<std::string> line = ReadLine(std::max(0.0, deadline - Now()), linkFailed);
      if (linkFailed || !line) return answers;  // still owed: the next call waits for the marks
      if (IsMark(*line)) {
        --marksOwed_;
        break;
      }
      if (!answers[i]) answers[i] = StatusByte(*line);
    }
  }
  return answers;
}

std::optional<std::vector<int>> PrologixAdapter::FindListenersAr488(bool& linkFailed) {
  if (!Settle() || !Command("++findlstn") || !SendMark()) {
    linkFailed = true;
    return std::nullopt;
  }
  // The search polls every address itself; give it what 30 empty addresses may take.
  std::vector<int> found;
  bool answered = false;
  const double deadline = Now() + options_.markSeconds + 3.0;
  while (true) {
    std::optional<std::string> line = ReadLine(std::max(0.0, deadline - Now()), linkFailed);
    if (linkFailed || !line) return std::nullopt;
    if (IsMark(*line)) {
      --marksOwed_;
      break;
    }
    // The addresses as numbers among whatever words the firmware puts around them.
    std::string number;
    for (char c : *line + " ") {
      if (c >= '0' && c <= '9') {
        number += c;
        continue;
      }
      if (!number.empty() && number.size() <= 2) {
        const int pad = std::stoi(number);
        if (pad >= 1 && pad <= 30) found.push_back(pad);
        answered = true;
      }
      number.clear();
    }
  }
  if (!answered) return std::nullopt;
  return found;
}

PrologixAdapter::Message PrologixAdapter::ReadMessage(double timeoutSeconds, AnswerFraming& framing,
                                                      std::optional<AskedRead> asked) {
  Message message;
  const double deadline = Now() + timeoutSeconds;
  std::string& data = message.data;
  // Bytes of the asked read that came while the program waited.
  std::string arrived = std::move(inbox_);
  inbox_.clear();
  while (Now() < deadline) {
    int adapterMs = 0;
    double lastHeard = 0;
    if (asked) {
      adapterMs = asked->adapterMs;
      lastHeard = asked->sentAt;
      asked.reset();
    } else {
      // The adapter never reads past the caller's timeout, so it is free as soon as that ends.
      adapterMs = AdapterTimeoutMs(deadline - Now());
      SelectReadTimeout(adapterMs);
      if (!Send("++read eoi\n")) {
        message.linkFailed = true;
        return message;
      }
      lastHeard = Now();
    }
    // After this much silence the adapter has given up on its read and must be asked again.
    const double silence = adapterMs / 1000.0 + options_.linkMarginSeconds;
    for (double now = Now(); now < deadline && now < lastHeard + silence; now = Now()) {
      if (arrived.empty() && !transport_->Read(arrived, std::min(deadline, lastHeard + silence) - now)) {
        LinkFailed();
        message.linkFailed = true;
        return message;
      }
      if (arrived.empty()) continue;
      lastHeard = Now();
      size_t end = framing.Scan(arrived);
      // An end character with bytes already behind it was data (binary without a block); one
      // the framing shows closed needs no look.
      while (end != std::string::npos && !framing.Closed()) {
        const size_t scanned = arrived.size();
        if (!transport_->Read(arrived, 0)) {
          LinkFailed();
          message.linkFailed = true;
          return message;
        }
        if (arrived.size() == scanned) break;
        const size_t next = framing.Scan(std::string_view(arrived).substr(scanned));
        end = next == std::string::npos ? next : scanned + next;
      }
      if (end != std::string::npos) {
        data.append(arrived, 0, end);
        message.end = true;
        return message;
      }
      data += arrived;
      arrived.clear();
      if (framing.TooLong()) {
        data.clear();
        data.shrink_to_fit();
        message.tooLong = true;
        stale_ = true;
        if (!SendMark()) message.linkFailed = true;
        return message;
      }
    }
  }
  message.timedOut = true;
  stale_ = true;
  // Marked, and waited for briefly: the adapter's last read ended with the timeout, so the
  // mark is normally back at once and the next message goes out without delay.
  if (!SendMark() || (!AwaitMark(kTimeoutMarkSeconds) && !linkError_.empty())) message.linkFailed = true;
  return message;
}

PrologixAdapter::Message PrologixAdapter::Fetch(const DeviceHandle& handle, AnswerFraming& framing) {
  const Address address{handle.pad, handle.sad};
  if (asked_ && asked_->key == address.Key()) {
    const AskedRead asked = *asked_;
    asked_.reset();
    return ReadMessage(TimeoutOf(handle), framing, asked);
  }
  Message message;
  if (!Settle()) {
    message.linkFailed = true;
    return message;
  }
  SelectAddress(address);
  return ReadMessage(TimeoutOf(handle), framing, std::nullopt);
}

// --- transfers ---

void PrologixAdapter::ibwrt(int ud, std::string_view data) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  Address target{handle->pad, handle->sad};
  if (!Settle()) return;
  SelectAddress(target);
  SelectEoi(handle->eot);
  // A new message makes the device drop an answer it had not finished sending.
  unread_.erase(target.Key());
  std::string bytes = EscapeForAdapter(data) + "\n";
  const bool ask = handle->eot && AnswerExpected(data);
  int adapterMs = 0;
  if (ask) {
    adapterMs = AdapterTimeoutMs(TimeoutOf(*handle));
    SelectReadTimeout(adapterMs);
    bytes += "++read eoi\n";
  }
  if (!Send(bytes)) return;
  if (ask) asked_ = AskedRead{target.Key(), Now(), adapterMs};
  Ok(0, static_cast<int32_t>(data.size()));
}

// The rest of a message begun by an asked read that was cut short, or a whole new one.
PrologixAdapter::Message PrologixAdapter::Take(const DeviceHandle& handle) {
  const int key = Address{handle.pad, handle.sad}.Key();
  Unread begun;
  if (auto it = unread_.find(key); it != unread_.end()) {
    begun = std::move(it->second);
    unread_.erase(it);
  }
  Message message = Fetch(handle, begun.framing);
  message.data.insert(0, begun.data);
  return message;
}

void PrologixAdapter::ibrd(int ud, std::string& buffer) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  int key = Address{handle->pad, handle->sad}.Key();
  auto it = unread_.find(key);
  if (it == unread_.end() || !it->second.ended) {
    Message message = Take(*handle);
    if (message.linkFailed) return;
    if (message.tooLong) {
      Fail(kEbus);
      return;
    }
    if (message.timedOut) {
      // What came before the timeout is delivered and counted, as a board does.
      size_t n = std::min(buffer.size(), message.data.size());
      std::copy_n(message.data.begin(), n, buffer.begin());
      Fail(kEabo, kTimo);
      status_.ibcntl = static_cast<int32_t>(n);
      return;
    }
    it = unread_.insert_or_assign(key, Unread{std::move(message.data)}).first;
  }
  std::string& rest = it->second.data;
  size_t n = std::min(buffer.size(), rest.size());
  std::copy_n(rest.begin(), n, buffer.begin());
  rest.erase(0, n);
  bool end = rest.empty();
  if (end) unread_.erase(it);
  Ok(end ? kEnd : 0, static_cast<int32_t>(n));
}

void PrologixAdapter::ibrdf(int ud, const std::string& path) {
  DeviceHandle* handle = Find(ud);
  if (!handle) return;
  // The file comes first, as with a board driver: a file error leaves the answer unread.
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) {
    Fail(kEfso);
    return;
  }
  int key = Address{handle->pad, handle->sad}.Key();
  std::string answer;
  bool timedOut = false;
  if (auto it = unread_.find(key); it != unread_.end() && it->second.ended) {
    answer = std::move(it->second.data);
    unread_.erase(it);
  } else {
    Message message = Take(*handle);
    if (message.linkFailed) return;
    if (message.tooLong) {
      Fail(kEbus);
      return;
    }
    answer = std::move(message.data);
    timedOut = message.timedOut;
  }
  // Even a read cut short by the timeout keeps what arrived.
  if (!file.write(answer.data(), static_cast<std::streamsize>(answer.size())) || !file.flush()) {
    Fail(kEfso);
    return;
  }
  if (timedOut) {
    Fail(kEabo, kTimo);
    status_.ibcntl = static_cast<int32_t>(answer.size());
    return;
  }
  Ok(kEnd, static_cast<int32_t>(answer.size()));
}

}  // namespace veridane
