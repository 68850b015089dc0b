#include "test/support/scripted_adapter.h"

#include <algorithm>
#include <sstream>

namespace veridane::testing {

namespace {
constexpr char kEsc = 27;
}

int ScriptedAdapter::Count(const std::string& line) const {
  return static_cast<int>(std::count(lines_.begin(), lines_.end(), line));
}

bool ScriptedAdapter::Write(std::string_view bytes) {
  if (broken_) return false;
  ++writes_;
  partial_.append(bytes);
  // Split at unescaped line ends; an ESC takes the next byte as data.
  std::string line;
  bool command = partial_.rfind("++", 0) == 0;
  size_t consumed = 0;
  for (size_t i = 0; i < partial_.size(); ++i) {
    char c = partial_[i];
    if (c == kEsc && i + 1 < partial_.size()) {
      line += partial_[++i];
    } else if (c == '\n' || c == '\r') {
      if (!line.empty() || !command) Line(line, command);
      line.clear();
      consumed = i + 1;
      command = partial_.compare(consumed, 2, "++") == 0;
    } else {
      line += c;
    }
  }
  partial_.erase(0, consumed);
  return true;
}

void ScriptedAdapter::Line(const std::string& line, bool command) {
  lines_.push_back(line);
  if (readPending_) {
    readPending_ = false;
    busyUntil_ = std::min(busyUntil_, now_);
  }
  if (command) {
    Command(line.substr(2));
    return;
  }
  ScriptedDevice& device = devices_[addr_];
  device.received.push_back(line);
  lastMessageAt_[addr_] = now_;
}

void ScriptedAdapter::Command(const std::string& command) {
  std::istringstream in(command);
  std::string name;
  in >> name;
  if (name == "ver") {
    if (ignoreVersion_ > 0) {
      --ignoreVersion_;
      return;
    }
    // Answered in turn: what the adapter was asked after it comes after it.
    busyUntil_ = std::max(now_, busyUntil_) + 0.01;
    Emit(busyUntil_, version_ + "\r\n");
  } else if (name == "findlstn" && !findLstnForm_.empty()) {
    std::string list;
    for (const auto& [pad, device] : devices_)
      if (device.pollByte && pad > 0) list += (list.empty() ? "" : " ") + std::to_string(pad);
    std::string text = findLstnForm_;
    if (size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, list);
    busyUntil_ = std::max(now_, busyUntil_) + 0.05;
    Emit(busyUntil_, text + "\r\n");
  } else if (name == "addr") {
    in >> addr_;
  } else if (name == "read_tmo_ms") {
    in >> readTmoMs_;
  } else if (name == "eot_char") {
    int c = 0;
    in >> c;
    endChar_ = static_cast<char>(c);
  } else if (name == "eot_enable") {
    int on = 0;
    in >> on;
    endEnabled_ = on != 0;
  } else if (name == "spoll") {
    int pad = addr_;
    in >> pad;
    auto it = devices_.find(pad);
    const double start = std::max(now_, busyUntil_);
    if (it != devices_.end() && it->second.pollByte) {
      Emit(start + 0.002, std::to_string(*it->second.pollByte) + "\r\n");
      busyUntil_ = start + 0.002;
    } else {
      busyUntil_ = start + readTmoMs_ / 1000.0;  // nobody answers: the adapter waits it out
    }
  } else if (name == "read") {
    auto it = devices_.find(addr_);
    const double begin = std::max(now_, busyUntil_);
    auto giveUp = [&] {  // the adapter waits in silence until its timeout, or the host's next byte
      busyUntil_ = begin + readTmoMs_ / 1000.0;
      readPending_ = true;
    };
    if (it == devices_.end() || it->second.answers.empty()) return giveUp();
    ScriptedDevice::Part& part = it->second.answers.front();
    double readyAt = lastMessageAt_[addr_] + part.delay;
    double start = std::max(begin, readyAt);
    if (start - begin > readTmoMs_ / 1000.0) return giveUp();
    std::string bytes = part.bytes;
    if (part.eoi && endEnabled_) bytes += endChar_;
    // The next part's delay counts from the moment this one went out.
    lastMessageAt_[addr_] = start;
    it->second.answers.pop_front();
    Emit(start + 0.001, bytes);
    busyUntil_ = start + 0.001;
  }
}

bool ScriptedAdapter::Read(std::string& into, double seconds) {
  if (broken_) return false;
  std::sort(output_.begin(), output_.end(), [](const Output& a, const Output& b) { return a.time < b.time; });
  if (!output_.empty() && output_.front().time > now_ && output_.front().time <= now_ + seconds) {
    now_ = output_.front().time;
  }
  // One chunk per read, as a read of the port returns what one transfer brought.
  if (!output_.empty() && output_.front().time <= now_) {
    into += output_.front().bytes;
    output_.erase(output_.begin());
    return true;
  }
  now_ += std::max(seconds, 0.0);
  return true;
}

void ScriptedAdapter::Discard() {
  output_.erase(std::remove_if(output_.begin(), output_.end(), [this](const Output& o) { return o.time <= now_; }),
                output_.end());
}

}  // namespace veridane::testing
