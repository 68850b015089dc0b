// The Prologix-compatible adapter: the protocol steps and the calls that move message bytes.
#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>

#include "gpib/backends/prologix_adapter.h"

namespace veridane {

namespace {

constexpr int kMaxAdapterTimeoutMs = 3000;  // the highest "++read_tmo_ms" adapters accept

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

// --- protocol steps ---

bool PrologixAdapter::Send(std::string_view bytes) {
  if (transport_->Write(bytes)) return true;
  LinkFailed();
  return false;
}

bool PrologixAdapter::Command(const std::string& command) { return Send(command + "\n"); }

bool PrologixAdapter::SelectAddress(const Address& address) {
  if (address == address_) return true;
  std::string command = "++addr " + std::to_string(address.pad);
  if (address.sad != 0) command += " " + std::to_string(address.sad);
  if (!Command(command)) return false;
  address_ = address;
  return true;
}

bool PrologixAdapter::SelectEoi(bool eoi) {
  if (eoi_ == (eoi ? 1 : 0)) return true;
  if (!Command(eoi ? "++eoi 1" : "++eoi 0")) return false;
  eoi_ = eoi ? 1 : 0;
  return true;
}

bool PrologixAdapter::SelectReadTimeout(int milliseconds) {
  if (readTmoMs_ == milliseconds) return true;
  if (!Command("++read_tmo_ms " + std::to_string(milliseconds))) return false;
  readTmoMs_ = milliseconds;
  return true;
}

bool PrologixAdapter::Settle() {
  for (double now = Now(); now < settleUntil_; now = Now()) {
    std::string late;
    if (!transport_->Read(late, settleUntil_ - now)) {
      LinkFailed();
      return false;
    }
  }
  transport_->Discard();
  inbox_.clear();
  return true;
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

std::optional<int> PrologixAdapter::Poll(const Address& address, int timeoutMs, double hostSeconds, bool& linkFailed) {
  if (!Settle() || !SelectReadTimeout(timeoutMs)) {
    linkFailed = true;
    return std::nullopt;
  }
  std::string command = "++spoll " + std::to_string(address.pad);
  if (address.sad != 0) command += " " + std::to_string(address.sad);
  if (!Command(command)) {
    linkFailed = true;
    return std::nullopt;
  }
  double sent = Now();
  std::optional<std::string> line = ReadLine(hostSeconds, linkFailed);
  if (!line) {
    // A late answer must not pass for the next one's.
    settleUntil_ = std::max(settleUntil_, sent + timeoutMs / 1000.0 + options_.linkMarginSeconds);
    return std::nullopt;
  }
  // Some adapters answer an empty line when nobody responds: only a status byte counts.
  std::string text = *line;
  while (!text.empty() && text.back() == ' ') text.pop_back();
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 || value > 255) {
    return std::nullopt;
  }
  return value;
}

PrologixAdapter::Message PrologixAdapter::ReadMessage(double timeoutSeconds) {
  Message message;
  double deadline = Now() + timeoutSeconds;
  int adapterMs = AdapterTimeoutMs(timeoutSeconds);
  if (!SelectReadTimeout(adapterMs)) {
    message.linkFailed = true;
    return message;
  }
  // After this much silence the adapter has given up on its read and must be asked again.
  double silence = adapterMs / 1000.0 + options_.linkMarginSeconds;
  inbox_.clear();
  while (true) {
    if (!Send("++read eoi\n")) {
      message.linkFailed = true;
      return message;
    }
    double lastHeard = Now();
    while (true) {
      double now = Now();
      if (now >= deadline) {
        message.timedOut = true;
        message.data = std::move(inbox_);
        inbox_.clear();
        settleUntil_ = std::max(settleUntil_, lastHeard + silence);
        return message;
      }
      if (now >= lastHeard + silence) break;
      size_t before = inbox_.size();
      if (!transport_->Read(inbox_, std::min(deadline, lastHeard + silence) - now)) {
        LinkFailed();
        message.linkFailed = true;
        return message;
      }
      if (inbox_.size() == before) continue;
      lastHeard = Now();
      // The end character marks END only as the last byte the adapter sent: one with more
      // bytes already behind it was part of the data.
      while (!inbox_.empty() && inbox_.back() == kEndChar) {
        size_t withEnd = inbox_.size();
        if (!transport_->Read(inbox_, 0)) {
          LinkFailed();
          message.linkFailed = true;
          return message;
        }
        if (inbox_.size() == withEnd) {
          inbox_.pop_back();
          message.data = std::move(inbox_);
          inbox_.clear();
          message.end = true;
          return message;
        }
      }
    }
  }
}

PrologixAdapter::Message PrologixAdapter::Fetch(const Handle& handle) {
  Message message;
  if (!Settle() || !SelectAddress({handle.pad, handle.sad})) {
    message.linkFailed = true;
    return message;
  }
  return ReadMessage(TimeoutOf(handle));
}

// --- transfers ---

void PrologixAdapter::ibwrt(int ud, std::string_view data) {
  Handle* handle = Find(ud);
  if (!handle) return;
  Address target{handle->pad, handle->sad};
  if (!Settle() || !SelectAddress(target) || !SelectEoi(handle->eot)) return;
  // A new message makes the device drop an answer it had not finished sending.
  unread_.erase(target.Key());
  if (!Send(EscapeForAdapter(data) + "\n")) return;
  Ok(0, static_cast<int32_t>(data.size()));
}

void PrologixAdapter::ibrd(int ud, std::string& buffer) {
  Handle* handle = Find(ud);
  if (!handle) return;
  int key = Address{handle->pad, handle->sad}.Key();
  auto it = unread_.find(key);
  if (it == unread_.end()) {
    Message message = Fetch(*handle);
    if (message.linkFailed) return;
    if (message.timedOut) {
      // What came before the timeout is delivered and counted, as a board does.
      size_t n = std::min(buffer.size(), message.data.size());
      std::copy_n(message.data.begin(), n, buffer.begin());
      Fail(kEabo, kTimo);
      status_.ibcntl = static_cast<int32_t>(n);
      return;
    }
    it = unread_.emplace(key, std::move(message.data)).first;
  }
  std::string& rest = it->second;
  size_t n = std::min(buffer.size(), rest.size());
  std::copy_n(rest.begin(), n, buffer.begin());
  rest.erase(0, n);
  bool end = rest.empty();
  if (end) unread_.erase(it);
  Ok(end ? kEnd : 0, static_cast<int32_t>(n));
}

void PrologixAdapter::ibwrtf(int ud, const std::string& path) {
  if (!Find(ud)) return;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    Fail(kEfso);
    return;
  }
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) {
    Fail(kEfso);
    return;
  }
  ibwrt(ud, content);
}

void PrologixAdapter::ibrdf(int ud, const std::string& path) {
  Handle* handle = Find(ud);
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
  if (auto it = unread_.find(key); it != unread_.end()) {
    answer = std::move(it->second);
    unread_.erase(it);
  } else {
    Message message = Fetch(*handle);
    if (message.linkFailed) return;
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
