#pragma once
// What a printout says about itself on every page, so that it stands alone even without a
// log: the scope model and firmware, the serial (from the log, else the one given for the
// run), the bench and the date; on a simulated bench, that it is one; and where each test's
// table begins.
#include <string>
#include <string_view>

#include "log/log_format.h"
#include "log/print_report.h"
#include "shell/program.h"

namespace veridane {

// "TDS 340, F/W: v1.04, S/N: B123, Bench: sim:scope-only, 2026-12-07 18:03"
std::string ReportPageHeader(const Program& program, std::string_view serial, const LogStamp& now);

// The page header for now, the simulated mark on a simulated bench, and the tables of the tests.
PrintOptions ReportPrintOptions(const Program& program, std::string_view runSerial = {});

}  // namespace veridane
