// The scope's error-log answers: any reply gives entries that stop at the end of the log, and
// no entry past it.
#include <cstdint>
#include <string>
#include <string_view>

#include "faultbook/errlog_reply.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  fuzz::Input input(data, size);
  const std::string model = input.TakeUntil('\n');
  const std::string reply = input.Rest();
  const int number = ModelNumber(model);
  if (number < -99 || number > 999) fuzz::Broken("a model number of more than three characters");
  const FirstReply first = EntriesOfFirstReply(reply, number);
  for (const std::string& entry : first.entries) {
    if (IsEndOfLog(entry, number)) fuzz::Broken("the end of the log taken as an entry");
    if (entry.size() > reply.size()) fuzz::Broken("an entry longer than the reply");
  }
  if (const auto next = EntryOfNextReply(reply, number)) {
    if (IsEndOfLog(*next, number)) fuzz::Broken("the end of the log taken as the next entry");
  }
  return 0;
}
