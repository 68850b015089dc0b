#include "shell/report_header.h"

#include "log/log_stamp.h"
#include "platform/text8.h"

namespace veridane {

std::string ReportPageHeader(const Program& program, std::string_view serial, const LogStamp& now) {
  std::string header = program.scope.ScopeModel.empty() ? std::string("Scope not identified") : program.scope.ScopeModel;
  const std::string firmware = Trim(program.scope.ScopeFirmware);
  if (!firmware.empty()) header += ", F/W: v" + firmware;
  const std::string shownSerial = Trim(serial);
  if (!shownSerial.empty()) header += ", S/N: " + shownSerial;
  if (!program.benchText.empty()) header += ", Bench: " + Text8FromUtf8(program.benchText);
  return header + ", " + now.date + " " + now.time.substr(0, 5);
}

PrintOptions ReportPrintOptions(const Program& program, std::string_view runSerial) {
  PrintOptions options;
  const std::string serial = program.log.LogOpen() && !program.log.SerialText().empty()
                                 ? UpperCase1252(program.log.SerialText())
                                 : UpperCase1252(runSerial);
  options.pageHeader = ReportPageHeader(program, serial, SystemLogStamp());
  for (int n = 1; n <= kNumberOfTests; ++n) options.tableTitles.push_back(program.run.TestName(n));
  return options;
}

}  // namespace veridane
