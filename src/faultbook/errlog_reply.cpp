#include "faultbook/errlog_reply.h"

#include "platform/numbers.h"

namespace veridane {

namespace {

constexpr char kQuote = '"';
constexpr int kOldestModelWithEndEntries = 309;

// The next quoted string from position at, and the position after its closing quote.
std::optional<std::string> NextQuoted(std::string_view reply, size_t& at) {
  const size_t open = reply.find(kQuote, at);
  if (open == std::string_view::npos) return std::nullopt;
  const size_t close = reply.find(kQuote, open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  at = close + 1;
  return std::string(reply.substr(open + 1, close - open - 1));
}

}  // namespace

int ModelNumber(std::string_view scopeModel) {
  if (scopeModel.size() <= 4) return 0;
  // Three characters hold no number outside these, save in E notation ("9E9"), which a
  // scope's model never is.
  const double number = NumericValue(scopeModel.substr(4, 3));
  if (!(number >= -99 && number <= 999)) return 0;
  return static_cast<int>(number);
}

bool IsEndOfLog(std::string_view entry, int modelNumber) {
  if (entry.empty()) return true;
  return modelNumber > kOldestModelWithEndEntries && entry.front() == '0';
}

FirstReply EntriesOfFirstReply(std::string_view reply, int modelNumber) {
  FirstReply result;
  size_t at = 0;
  for (;;) {
    std::optional<std::string> entry = NextQuoted(reply, at);
    if (!entry) return result;  // the reply ran out; the log goes on with ERRLOG:NEXT?
    if (IsEndOfLog(*entry, modelNumber)) {
      result.ended = true;
      return result;
    }
    result.entries.push_back(std::move(*entry));
  }
}

std::optional<std::string> EntryOfNextReply(std::string_view reply, int modelNumber) {
  size_t at = 0;
  std::optional<std::string> entry = NextQuoted(reply, at);
  if (!entry || IsEndOfLog(*entry, modelNumber)) return std::nullopt;
  return entry;
}

}  // namespace veridane
