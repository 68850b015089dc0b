#pragma once
// How a run ended, as the process exit code a script sees (the window uses the same codes).

namespace veridane {

enum ExitCode : int {
  kExitPassed = 0,   // every test run passed
  kExitFailed = 1,   // a test failed
  kExitAborted = 2,  // the technician stopped the run before every test had a result
  kExitEnded = 3,    // the program ended on a fatal message
  kExitUsage = 4,    // the command line, or a file it names, is wrong
};

}  // namespace veridane
