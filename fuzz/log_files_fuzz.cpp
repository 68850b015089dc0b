// A log's two files as LogBook reads them back: any .log content gives a transcript with no
// lone line end in it, and a .tst text that parses holds statuses the menus know, written
// back the same way.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "log/log_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  const std::string_view content(reinterpret_cast<const char*>(data), size);

  const std::string transcript = TranscriptFromLog(content);
  for (size_t at = 0; at < transcript.size(); ++at) {
    if (transcript[at] == '\r' && (at + 1 == transcript.size() || transcript[at + 1] != '\n'))
      fuzz::Broken("a CR without its LF in the transcript");
    if (transcript[at] == '\n' && (at == 0 || transcript[at - 1] != '\r'))
      fuzz::Broken("an LF without its CR in the transcript");
  }

  // The status file as this build writes it: one entry per test of the catalogue.
  constexpr int tests = kFirstStatusEntries;
  TestStatuses status{};
  status.fill(TestOutcome::Stopped);  // no status the file could give
  if (!ParseStatusFile(content, status, tests)) {
    for (TestOutcome s : status)
      if (s != TestOutcome::Stopped) fuzz::Broken("a refused status file changed the statuses");
    return 0;
  }
  for (int test = 1; test <= tests; ++test)
    if (status[test] != TestOutcome::Failed && status[test] != TestOutcome::NotRun && status[test] != TestOutcome::Passed)
      fuzz::Broken("a status other than FAIL, not run or PASS");
  TestStatuses again{};
  if (!ParseStatusFile(StatusFileText(status, tests), again, tests)) fuzz::Broken("a written status file does not read back");
  for (int test = 1; test <= tests; ++test)
    if (again[test] != status[test]) fuzz::Broken("a status changed on its way through the file");
  return 0;
}
