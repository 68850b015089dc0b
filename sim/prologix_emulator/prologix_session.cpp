#include "sim/prologix_emulator/prologix_session.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <vector>

namespace veridane::sim {

namespace {

constexpr char kEsc = 27;
// A line longer than this is nonsense from the host; the adapter's buffer would have
// overflowed long before, and the emulator must not grow without bound either.
constexpr size_t kLongestLine = 1 << 20;
// Timeout code of the bus handles between reads: 10 us. A read that waits for its device
// sets the longest code that does not pass the time it has left, so that the bus, not a
// loop here, does the waiting.
constexpr int kShortestTimeout = 1;

int WaitCode(double seconds) {
  int code = kShortestTimeout;
  for (int c = kShortestTimeout + 1; c <= 17 && TimeoutSeconds(c) <= seconds; ++c) code = c;
  return code;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// A decimal argument in [low, high]; false for anything else, which the adapter ignores.
bool Number(const std::string& word, int low, int high, int& value) {
  int parsed = 0;
  auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), parsed);
  if (error != std::errc() || end != word.data() + word.size() || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

}  // namespace

PrologixSession::PrologixSession(Gpib488& bus, EventLoop& clock, Reply reply, std::string version, bool ar488)
    : bus_(bus), clock_(clock), reply_(std::move(reply)), version_(std::move(version)), ar488_(ar488) {}

void PrologixSession::Feed(std::string_view bytes) {
  for (char c : bytes) {
    if (raw_.size() > kLongestLine) {
      raw_.clear();
      data_.clear();
    }
    if (escaped_) {
      escaped_ = false;
      raw_ += c;
      data_ += c;
      continue;
    }
    if (c == kEsc) {
      escaped_ = true;
      raw_ += c;
      continue;
    }
    if (c == '\r' || c == '\n') {
      // An empty line is the second half of a CR LF; the adapter ignores it.
      if (!raw_.empty()) Line(raw_, data_, raw_.starts_with("++"));
      raw_.clear();
      data_.clear();
      continue;
    }
    raw_ += c;
    data_ += c;
  }
}

void PrologixSession::Line(const std::string& raw, const std::string& data, bool command) {
  if (command)
    Command(raw.substr(2));
  else
    Write(data);
}

int PrologixSession::Handle(int pad, int sad, bool eoi) {
  const int key = (pad * 256 + sad) * 2 + (eoi ? 1 : 0);
  auto found = handles_.find(key);
  if (found != handles_.end()) return found->second;
  const int ud = bus_.ibdev(0, pad, sad, kShortestTimeout, eoi ? 1 : 0, 0);
  if (ud >= 0) handles_[key] = ud;
  return ud;
}

void PrologixSession::Write(std::string data) {
  static const char* const kEndings[] = {"\r\n", "\r", "\n", ""};
  data += kEndings[eos_];
  if (mode_ == 1) {
    const int ud = Handle(pad_, sad_, eoi_);
    if (ud >= 0) bus_.ibwrt(ud, data);
    if (autoRead_) Read("eoi");
  }
}

void PrologixSession::Read(const std::string& argument) {
  const int ud = Handle(pad_, sad_, true);
  if (ud < 0) return;
  int stopChar = -1;
  const bool untilEoi = argument == "eoi";
  const bool untilTimeout = argument.empty();
  if (!untilEoi && !untilTimeout && !Number(argument, 0, 255, stopChar)) return;
  // Byte by byte when a stop character may end the read inside a message: what follows it
  // stays with the device for the next read, as on the real bus.
  const size_t chunk = stopChar >= 0 ? 1 : 4096;
  std::string got;
  bool end = false;
  double lastByte = clock_.Now();
  for (;;) {
    const double left = readTmoMs_ / 1000.0 - (clock_.Now() - lastByte);
    bus_.ibtmo(ud, WaitCode(left));
    std::string buffer(chunk, '\0');
    bus_.ibrd(ud, buffer);
    const GpibStatus status = bus_.Status();
    const int32_t count = (status.ibsta & kErr) ? 0 : status.ibcntl;
    if (count > 0) {
      got.append(buffer, 0, static_cast<size_t>(count));
      lastByte = clock_.Now();
    }
    if ((status.ibsta & (kErr | kEnd)) == kEnd) {
      end = true;
      if (!untilTimeout) break;
      continue;
    }
    if (count > 0) end = false;
    if (stopChar >= 0 && !got.empty() && static_cast<unsigned char>(got.back()) == stopChar) break;
    if (count > 0) continue;
    if ((status.ibsta & (kErr | kTimo)) == kErr) {
      // A bus that refuses the read at once still takes the adapter its timeout.
      clock_.Block(Seconds(std::max(left, 0.0)));
      break;
    }
    if (clock_.Now() - lastByte >= readTmoMs_ / 1000.0) break;
  }
  bus_.ibtmo(ud, kShortestTimeout);
  if (end && eotEnable_) got += static_cast<char>(eotChar_);
  if (!got.empty()) reply_(got);
}

void PrologixSession::SerialPoll(int pad, int sad) {
  const int ud = Handle(pad, sad, true);
  if (ud < 0) return;
  const auto slow = pollDelays_.find(pad);
  const double delay = slow == pollDelays_.end() ? 0 : slow->second;
  if (delay * 1000.0 >= readTmoMs_) {
    // Too slow for the adapter: as far as it can tell, nobody is there.
    clock_.Block(std::chrono::milliseconds(readTmoMs_));
    return;
  }
  uint8_t statusByte = 0;
  bus_.ibrsp(ud, statusByte);
  if (bus_.Status().ibsta & kErr) {
    // Nobody answered: the adapter waits out its read timeout and says nothing.
    clock_.Block(std::chrono::milliseconds(readTmoMs_));
    return;
  }
  if (delay > 0) clock_.Block(Seconds(delay));
  Answer(std::to_string(statusByte));
}

void PrologixSession::Command(const std::string& text) {
  const std::vector<std::string> words = Words(text);
  if (words.empty()) return;
  const std::string& name = words[0];
  const size_t args = words.size() - 1;
  int value = 0;
  // A setting given no argument answers its value; a wrong argument is ignored.
  auto setting = [&](int& field, int low, int high) {
    if (args == 0)
      Answer(std::to_string(field));
    else if (Number(words[1], low, high, value))
      field = value;
  };
  auto flag = [&](bool& field) {
    int number = field ? 1 : 0;
    setting(number, 0, 1);
    field = number != 0;
  };
  if (name == "addr") {
    if (args == 0) {
      Answer(sad_ ? std::to_string(pad_) + " " + std::to_string(sad_) : std::to_string(pad_));
    } else if (Number(words[1], 0, 30, value)) {
      int sad = 0;
      if (args >= 2 && !Number(words[2], 96, 126, sad)) return;
      pad_ = value;
      sad_ = sad;
    }
  } else if (name == "read") {
    Read(args ? words[1] : "");
  } else if (name == "read_tmo_ms") {
    setting(readTmoMs_, 1, 3000);
  } else if (name == "eoi") {
    flag(eoi_);
  } else if (name == "eos") {
    setting(eos_, 0, 3);
  } else if (name == "eot_enable") {
    flag(eotEnable_);
  } else if (name == "eot_char") {
    setting(eotChar_, 0, 255);
  } else if (name == "auto") {
    flag(autoRead_);
  } else if (name == "mode") {
    setting(mode_, 0, 1);
  } else if (name == "spoll") {
    int pad = pad_, sad = args >= 2 ? 0 : sad_;
    if (args >= 1 && !Number(words[1], 0, 30, pad)) return;
    if (args >= 2 && !Number(words[2], 96, 126, sad)) return;
    SerialPoll(pad, sad);
  } else if (name == "clr") {
    const int ud = Handle(pad_, sad_, true);
    if (ud >= 0) bus_.ibclr(ud);
  } else if (name == "loc") {
    const int ud = Handle(pad_, sad_, true);
    if (ud >= 0) bus_.ibloc(ud);
  } else if (name == "ifc") {
    bus_.SendIFC(0);
  } else if (name == "ren") {
    if (args >= 1 && Number(words[1], 0, 1, value)) bus_.ibsre(0, value);
  } else if (name == "ver") {
    Answer(version_);
  } else if (name == "savecfg") {
    flag(saveConfig_);
  } else if (name == "srq") {
    Answer("0");
  } else if (name == "findlstn" && ar488_) {
    std::vector<int16_t> addresses;
    for (int16_t pad = 1; pad <= 30; ++pad) addresses.push_back(pad);
    addresses.push_back(kNoAddr);
    std::vector<int16_t> found(30, 0);
    bus_.FindLstn(0, addresses, found, 30);
    std::string list;
    for (int16_t pad : found)
      if (pad > 0) list += (list.empty() ? "" : " ") + std::to_string(pad);
    Answer(list);
  } else if (name == "help") {
    Answer(std::string("++addr ++auto ++clr ++eoi ++eos ++eot_enable ++eot_char ++ifc ++loc ++mode ++read "
                       "++read_tmo_ms ++ren ++savecfg ++spoll ++srq ++ver") +
           (ar488_ ? " ++findlstn" : ""));
  }
  // ++rst, ++llo, ++trg and anything unknown: nothing to emulate.
}

}  // namespace veridane::sim
