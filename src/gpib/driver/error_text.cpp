// The driver layer's texts: its error codes in the words the technician reads (spelling as on
// the bench PCs), and a device's answer without its line ends.
#include "gpib/driver/gpib_driver.h"

#include "platform/text8.h"

namespace veridane {

namespace {

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

}  // namespace

std::string StripReplyLineEnds(std::string response) {
  response = Trim(response);
  if (response.size() >= 2 && IsLineEnd(response[response.size() - 2])) response.pop_back();
  for (int i = 0; i < 2; ++i) {
    if (!response.empty() && IsLineEnd(response.back())) response.pop_back();
  }
  return response;
}

std::string GpibErrorText(int16_t iberr) {
  switch (iberr) {
    case 0: return "Operating system error.";
    case 1: return "Function requires GPIB board to be CIC.";
    case 2: return "No listener on write function.";
    case 3: return "GPIB board not addressed correctly.";
    case 4: return "Invalid argument to function call.";
    case 5: return "GPIB board not system controller as required.";
    case 6: return "I/O operation aborted - timeout.";
    case 7: return "Non-existent GPIB board.";
    case 10: return "Asynchronous I/O in progress.";
    case 11: return "No capability for operation.";
    case 12: return "File system error.";
    case 14: return "GPIB bus eror.";
    case 15: return "Serial poll status queue owerflow.";
    case 16: return "SRQ stuck in on position.";
    case 20: return "Table problem.";
    default: return "Unknown error.";
  }
}

}  // namespace veridane
