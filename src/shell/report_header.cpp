#include "shell/report_header.h"

#include "log/log_stamp.h"
#include "platform/text8.h"

namespace veridane {

std::string ReportPageHeader(const Program& program, std::string_view serial, const LogStamp& now) {
  std::string header = program.Scope().ScopeModel.empty() ? std::string("Scope not identified") : program.Scope().ScopeModel;
  const std::string firmware = Trim(program.Scope().ScopeFirmware);
  if (!firmware.empty()) header += ", F/W: v" + firmware;
  const std::string shownSerial = Trim(serial);
  if (!shownSerial.empty()) header += ", S/N: " + shownSerial;
  if (!program.BenchText().empty()) header += ", Bench: " + Text8FromUtf8(program.BenchText());
  return header + ", " + now.date + " " + now.time.substr(0, 5);
}

PrintOptions ReportPrintOptions(const Program& program, std::string_view runSerial) {
  PrintOptions options;
  const std::string serial = program.Log().LogOpen() && !program.Log().SerialText().empty()
                                 ? UpperCase1252(program.Log().SerialText())
                                 : UpperCase1252(runSerial);
  options.pageHeader = ReportPageHeader(program, serial, SystemLogStamp());
  if (program.Simulated()) options.pageMark = kSimulatedPrintMark;
  for (int n = 1; n <= program.Run().NumberOfTests; ++n) options.tableTitles.push_back(program.Run().TestName(n));
  return options;
}

}  // namespace veridane
