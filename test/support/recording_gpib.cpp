#include "recording_gpib.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "sim/bus/escape_text.h"

namespace veridane::testing {

namespace {

std::string WithoutLineEnds(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

std::string Quoted(std::string_view text) { return "\"" + EscapeBusText(text) + "\""; }

}  // namespace

std::string EscapeBusText(std::string_view text) { return sim::EscapeControl(text); }

// --- set-up ---

void RecordingGpib::SetListeners(std::vector<int16_t> addresses) {
  std::sort(addresses.begin(), addresses.end());
  listeners_ = std::move(addresses);
}

void RecordingGpib::SetPollByte(int address, uint8_t statusByte) { pollBytes_[address] = statusByte; }

void RecordingGpib::ScriptRegistration(std::vector<int> results) {
  registrations_.assign(results.begin(), results.end());
}

void RecordingGpib::AddReply(int address, std::string reply) { addressReplies_[address].push_back(std::move(reply)); }

void RecordingGpib::AddReply(std::string reply) { orderedReplies_.push_back(std::move(reply)); }

void RecordingGpib::SetAnswer(int address, std::string query, std::string reply) {
  answers_[address].push_back({WithoutLineEnds(std::move(query)), std::move(reply)});
}

void RecordingGpib::ForceStatus(std::string function, GpibStatus status, int nth) {
  forced_.push_back({std::move(function), std::max(nth, 1), status});
}

void RecordingGpib::FailNext(std::string function, int iberr, int nth) {
  ForceStatus(std::move(function), {kErr | kCmpl, iberr, 0}, nth);
}

void RecordingGpib::TimeoutNext(std::string function, int nth) {
  ForceStatus(std::move(function), {kErr | kTimo | kCmpl, kEabo, 0}, nth);
}

// --- inspection ---

std::vector<std::string> RecordingGpib::Log() const {
  std::vector<std::string> lines;
  for (const auto& call : calls_) lines.push_back(call.text);
  return lines;
}

std::vector<GpibCall> RecordingGpib::CallsOf(std::string_view function) const {
  std::vector<GpibCall> result;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
               [&](const GpibCall& call) { return call.function == function; });
  return result;
}

int RecordingGpib::Count(std::string_view function) const {
  return static_cast<int>(
      std::count_if(calls_.begin(), calls_.end(), [&](const GpibCall& call) { return call.function == function; }));
}

std::vector<std::string> RecordingGpib::WrittenTo(int address) const {
  std::vector<std::string> texts;
  for (const auto& call : calls_) {
    if (call.function == "ibwrt" && call.address == address) texts.push_back(call.data);
  }
  return texts;
}

std::vector<std::string> RecordingGpib::Written() const {
  std::vector<std::string> texts;
  for (const auto& call : calls_) {
    if (call.function == "ibwrt") texts.push_back(call.data);
  }
  return texts;
}

int RecordingGpib::AddressOf(int ud) const {
  auto it = handles_.find(ud);
  return it == handles_.end() ? -1 : it->second.pad;
}

int RecordingGpib::TimeoutOf(int ud) const {
  auto it = handles_.find(ud);
  return it == handles_.end() ? -1 : it->second.tmo;
}

// --- recording machinery ---

bool RecordingGpib::TakeForced(const std::string& function, GpibStatus& forced) {
  bool hit = false;
  for (auto it = forced_.begin(); it != forced_.end();) {
    if (it->function.empty() || it->function == function) {
      if (--it->callsLeft == 0) {
        if (!hit) forced = it->status;
        hit = true;
        it = forced_.erase(it);
        continue;
      }
    }
    ++it;
  }
  return hit;
}

GpibCall RecordingGpib::Begin(std::string function, int ud, std::vector<int> args) {
  GpibCall call;
  call.function = std::move(function);
  call.ud = ud;
  call.address = AddressOf(ud);
  call.args = std::move(args);
  return call;
}

void RecordingGpib::Finish(GpibCall call, std::string resultText) {
  call.status = status_;
  std::string text = call.function + "(";
  bool registration = call.function == "RegisterGlobals" || call.function == "UnregisterGlobals";
  bool boardCall = call.function == "SendIFC" || call.function == "ibsre" || call.function == "FindLstn" ||
                   call.function == "ibdev" || call.function == "DevClear";
  if (!registration) {
    text += boardCall ? std::to_string(call.ud) : std::to_string(call.ud) + "@" + std::to_string(call.address);
  }
  for (int arg : call.args) text += ", " + std::to_string(arg);
  if (call.function == "ibwrt" || call.function == "ibwrtf" || call.function == "ibrdf") {
    text += ", " + Quoted(call.data);
  }
  text += ")";
  if (!registration && (status_.ibsta & kTimo) != 0) {
    text += " -> TIMEOUT";
  } else if (!resultText.empty()) {
    text += " -> " + resultText;
  }
  if (!registration && (status_.ibsta & kErr) != 0) text += " ERR " + std::to_string(status_.iberr);
  call.text = std::move(text);
  calls_.push_back(std::move(call));
}

void RecordingGpib::Succeed(int32_t extraBits, int32_t count) {
  status_.ibsta = kCmpl | extraBits;
  status_.ibcntl = count;
}

bool RecordingGpib::NextReply(int address, std::string& reply) {
  auto queued = addressReplies_.find(address);
  if (queued != addressReplies_.end() && !queued->second.empty()) {
    reply = std::move(queued->second.front());
    queued->second.pop_front();
    return true;
  }
  auto armed = armedQuery_.find(address);
  if (armed != armedQuery_.end()) {
    std::string query = armed->second;
    armedQuery_.erase(armed);
    for (const auto& answer : answers_[address]) {
      if (answer.query == query) {
        reply = answer.reply;
        return true;
      }
    }
  }
  if (!orderedReplies_.empty()) {
    reply = std::move(orderedReplies_.front());
    orderedReplies_.pop_front();
    return true;
  }
  return false;
}

// --- Gpib488 ---

int RecordingGpib::RegisterGlobals() {
  int result = 0;
  if (!registrations_.empty()) {
    result = registrations_.front();
    registrations_.pop_front();
  }
  GpibCall call = Begin("RegisterGlobals", -1);
  Finish(std::move(call), std::to_string(result));
  return result;
}

void RecordingGpib::UnregisterGlobals() { Finish(Begin("UnregisterGlobals", -1)); }

void RecordingGpib::SendIFC(int board) {
  GpibCall call = Begin("SendIFC", board);
  if (!TakeForced(call.function, status_)) Succeed();
  Finish(std::move(call));
}

void RecordingGpib::ibsre(int board, int value) {
  GpibCall call = Begin("ibsre", board, {value});
  if (!TakeForced(call.function, status_)) Succeed();
  Finish(std::move(call));
}

void RecordingGpib::FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results,
                             int limit) {
  GpibCall call = Begin("FindLstn", board, {limit});
  call.list.assign(addresses.begin(), addresses.end());
  if (TakeForced(call.function, status_)) {
    Finish(std::move(call));
    return;
  }
  std::vector<int16_t> answering;
  for (int16_t address : addresses) {
    if (address == kNoAddr) break;
    if (address == 0 || std::find(listeners_.begin(), listeners_.end(), address) != listeners_.end()) {
      answering.push_back(address);
    }
  }
  std::sort(answering.begin(), answering.end());
  if (results.size() < static_cast<size_t>(std::max(limit, 0))) results.resize(limit, 0);
  size_t stored = std::min(answering.size(), static_cast<size_t>(std::max(limit, 0)));
  std::copy_n(answering.begin(), stored, results.begin());
  if (stored < results.size()) results[stored] = 0;

  bool instrument = std::any_of(answering.begin(), answering.end(), [](int16_t a) { return a != 0; });
  if (!instrument) {
    status_ = {kErr | kCmpl, kEbus, 0};
  } else if (answering.size() > static_cast<size_t>(limit)) {
    status_ = {kErr | kCmpl, kEtab, static_cast<int32_t>(stored)};
  } else {
    Succeed(0, static_cast<int32_t>(stored));
  }
  std::string found;
  for (size_t i = 0; i < std::min(results.size(), stored + 1); ++i) {
    found += (i ? " " : "") + std::to_string(results[i]);
  }
  Finish(std::move(call), found);
}

int RecordingGpib::ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
  GpibCall call = Begin("ibdev", board, {pad, sad, tmo, eot, eos});
  int ud = -1;
  if (!TakeForced(call.function, status_)) {
    ud = nextHandle_++;
    handles_[ud] = {pad, tmo};
    Succeed();
  }
  Finish(std::move(call), std::to_string(ud));
  return ud;
}

void RecordingGpib::ibpad(int ud, int pad) {
  GpibCall call = Begin("ibpad", ud, {pad});
  if (!TakeForced(call.function, status_)) {
    handles_[ud].pad = pad;
    Succeed();
  }
  Finish(std::move(call));
}

void RecordingGpib::ibclr(int ud) {
  GpibCall call = Begin("ibclr", ud);
  if (!TakeForced(call.function, status_)) {
    pending_.erase(call.address);
    Succeed();
  }
  Finish(std::move(call));
}

void RecordingGpib::ibrsp(int ud, uint8_t& statusByte) {
  GpibCall call = Begin("ibrsp", ud);
  std::string result;
  if (!TakeForced(call.function, status_)) {
    auto it = pollBytes_.find(call.address);
    statusByte = it == pollBytes_.end() ? 0 : it->second;
    result = std::to_string(statusByte);
    Succeed(0, 1);
  }
  Finish(std::move(call), result);
}

void RecordingGpib::ibwrt(int ud, std::string_view data) {
  GpibCall call = Begin("ibwrt", ud);
  call.data = std::string(data);
  if (!TakeForced(call.function, status_)) {
    pending_.erase(call.address);
    armedQuery_[call.address] = WithoutLineEnds(call.data);
    Succeed(0, static_cast<int32_t>(data.size()));
  }
  Finish(std::move(call));
}

void RecordingGpib::ibrd(int ud, std::string& buffer) {
  GpibCall call = Begin("ibrd", ud, {static_cast<int>(buffer.size())});
  if (TakeForced(call.function, status_)) {
    Finish(std::move(call));
    return;
  }
  auto& pending = pending_[call.address];
  std::string reply;
  if (pending.empty()) {
    if (!NextReply(call.address, reply)) {
      status_ = {kErr | kTimo | kCmpl, kEabo, 0};
      Finish(std::move(call));
      return;
    }
    pending = std::move(reply);
  }
  size_t n = std::min(buffer.size(), pending.size());
  std::copy_n(pending.begin(), n, buffer.begin());
  call.data = pending.substr(0, n);
  pending.erase(0, n);
  Succeed(pending.empty() ? kEnd : 0, static_cast<int32_t>(n));
  // The result text is taken before the record moves: argument order is the compiler's choice.
  std::string result = Quoted(call.data) + (pending.empty() ? " END" : "");
  Finish(std::move(call), std::move(result));
}

void RecordingGpib::ibtmo(int ud, int code) {
  GpibCall call = Begin("ibtmo", ud, {code});
  if (!TakeForced(call.function, status_)) {
    if (code < 0 || code > 17) {
      status_ = {kErr | kCmpl, kEarg, 0};
    } else {
      handles_[ud].tmo = code;
      Succeed();
    }
  }
  Finish(std::move(call));
}

void RecordingGpib::ibask(int ud, int option, int& value) {
  GpibCall call = Begin("ibask", ud, {option});
  std::string result;
  if (!TakeForced(call.function, status_)) {
    if (option == kIbaTmo) {
      value = TimeoutOf(ud);
      result = std::to_string(value);
      Succeed();
    } else {
      status_ = {kErr | kCmpl, kEarg, 0};
    }
  }
  Finish(std::move(call), result);
}

void RecordingGpib::ibwait(int ud, int mask) {
  GpibCall call = Begin("ibwait", ud, {mask});
  if (!TakeForced(call.function, status_)) Succeed();
  Finish(std::move(call));
}

void RecordingGpib::ibloc(int ud) {
  GpibCall call = Begin("ibloc", ud);
  if (!TakeForced(call.function, status_)) Succeed();
  Finish(std::move(call));
}

void RecordingGpib::ibwrtf(int ud, const std::string& path) {
  GpibCall call = Begin("ibwrtf", ud);
  call.data = path;
  if (!TakeForced(call.function, status_)) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      status_ = {kErr | kCmpl, kEfso, 0};
    } else {
      std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      pending_.erase(call.address);
      armedQuery_[call.address] = WithoutLineEnds(content);
      Succeed(0, static_cast<int32_t>(content.size()));
    }
  }
  Finish(std::move(call));
}

void RecordingGpib::ibrdf(int ud, const std::string& path) {
  GpibCall call = Begin("ibrdf", ud);
  call.data = path;
  if (TakeForced(call.function, status_)) {
    Finish(std::move(call));
    return;
  }
  std::string reply = std::move(pending_[call.address]);
  pending_.erase(call.address);
  if (reply.empty() && !NextReply(call.address, reply)) {
    status_ = {kErr | kTimo | kCmpl, kEabo, 0};
    Finish(std::move(call));
    return;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file || !file.write(reply.data(), static_cast<std::streamsize>(reply.size()))) {
    status_ = {kErr | kCmpl, kEfso, 0};
  } else {
    Succeed(kEnd, static_cast<int32_t>(reply.size()));
  }
  Finish(std::move(call));
}

void RecordingGpib::DevClear(int board, int address) {
  GpibCall call = Begin("DevClear", board, {address});
  call.address = address;
  if (!TakeForced(call.function, status_)) {
    pending_.erase(address);
    Succeed();
  }
  Finish(std::move(call));
}

}  // namespace veridane::testing
