#include "sim/scope/error_log.h"

#include "platform/text8.h"

namespace veridane::sim {

namespace {
constexpr size_t kEntriesInFirstReply = 4;
constexpr const char* kServicePassword = "TANGELO";
}  // namespace

bool ScopeErrorLog::Password(const std::string& word) {
  unlocked_ = UpperCase(Trim(word)) == kServicePassword;
  return unlocked_;
}

// An entry as a quoted string; a double quote inside an entry would end it early for any
// reader, so it goes out as a single quote.
std::string ScopeErrorLog::Quoted(size_t index) const {
  if (index >= entries_.size()) return "\"\"";
  std::string text = entries_[index];
  for (char& c : text)
    if (c == '"') c = '\'';
  return "\"" + text + "\"";
}

std::string ScopeErrorLog::First() {
  std::string reply;
  size_t count = 0;
  for (next_ = 0; next_ < entries_.size() && count < kEntriesInFirstReply; ++next_, ++count) {
    if (!reply.empty()) reply += ",";
    reply += Quoted(next_);
  }
  if (next_ >= entries_.size()) reply += (reply.empty() ? "" : ",") + Quoted(entries_.size());
  return reply;
}

std::string ScopeErrorLog::Next() {
  std::string reply = Quoted(next_);
  if (next_ < entries_.size()) ++next_;
  return reply;
}

bool ScopeErrorLog::Clear() {
  if (!unlocked_) return false;
  entries_.clear();
  next_ = 0;
  return true;
}

}  // namespace veridane::sim
