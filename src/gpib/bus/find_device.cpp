// Finding instruments by what they answer, never by a fixed address: each free listener is
// asked in turn with a spare "probe" handle, and the handle itself goes to the caller on a
// match, so every address is handed out at most once.
#include "gpib/bus/gpib_bus.h"
#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane {

namespace {

constexpr int16_t kBoard = 0;
// 100 ms for each probed device's identification answer. An instrument keeps
// that answer ready-made: it starts talking within a few milliseconds of the query, and the
// longest answer expected (under 60 bytes) crosses even a slow talker's handshake in about
// 25 ms, so a device that answers at all answers well within this. A device that does not
// understand the query (the TM 5000 plug-ins say nothing to "*IDN?") costs the whole timeout,
// once per search, on every start: at 1 s those silences were most of the start-up. The
// generator that needs a moment after the poll gets its pause before the query ("?" marker)
// on top of this, and a claimed device is given DeviceTimeout for everything afterwards.
constexpr DriverTimeout kProbeTimeout = DriverTimeout::HundredMilliseconds;
constexpr size_t kIdBufferSize = 256;

struct SearchOptions {
  bool noClear = false;    // query "!...": the device must not be cleared first
  bool nonFatal = false;   // query "...!": a failed search is reported, the program goes on
  bool optional = false;   // expected "!...": a failed search is silent
  bool delayed = false;    // expected "?...": the device needs a moment after the poll
  bool exact = false;      // expected "...!": case-sensitive equality instead of containment
};

bool TakeLeading(std::string& text, char marker) {
  if (text.empty() || text.front() != marker) return false;
  text.erase(0, 1);
  return true;
}

bool TakeTrailing(std::string& text, char marker) {
  if (text.empty() || text.back() != marker) return false;
  text.pop_back();
  return true;
}

SearchOptions StripMarkers(std::string& query, std::string& expected) {
  SearchOptions options;
  options.optional = TakeLeading(expected, '!');
  options.delayed = TakeLeading(expected, '?');
  options.exact = TakeTrailing(expected, '!');
  options.noClear = TakeLeading(query, '!');
  options.nonFatal = TakeTrailing(query, '!');
  return options;
}

std::string CleanIdResponse(const std::string& buffer) {
  std::string response = Trim(buffer);
  if (!response.empty() && response.back() == '\n') response.pop_back();
  if (!response.empty() && response.back() == '\r') response.pop_back();
  return response;
}

bool Matches(const std::string& response, const std::string& expected, bool exact) {
  if (exact) return response == expected;
  return UpperCase(response).find(UpperCase(expected)) != std::string::npos;
}

}  // namespace

int16_t GpibBus::FindDevice(std::string query, std::string expected) {
  if (!probe.open) {
    int16_t handle = ibdev(kBoard, 1, 0, TimeoutCode(kProbeTimeout), 1, 0);
    if (status.Err() || handle <= 0) {
      // No handle to probe with: say why now rather than hand out an invalid handle later.
      GpibErrorCheck();
      return 0;
    }
    probe.handle = handle;
    probe.open = true;
  }
  SearchOptions options = StripMarkers(query, expected);
  std::vector<Listener>& found = listeners.found;

  if (query.empty()) {
    for (const Listener& listener : found) {
      ibpad(probe.handle, listener.address);
      ibrsp(probe.handle);
    }
    // Pointed at the first listener, which it does not claim.
    ibpad(probe.handle, found.empty() ? int16_t{0} : found.front().address);
    if (!found.empty()) found.front().handle = probe.handle;
    ibtmo(probe.handle, DeviceTimeout);
    GpibErrorCheck();
    probe.open = false;
    return probe.handle;
  }

  if (listeners.FreeCount() == 0) {
    if (options.optional) return 0;
    op_.ShowMessBox("Can't find more than" + PlainText(static_cast<int>(found.size())) +
                        " device(s).\n\nCorrect problem and restart.",
                    kCritical, "Not enough devices on the bus");
    op_.EndProgram();
  }

  std::string responses;
  for (Listener& listener : found) {
    if (!listener.free) continue;
    ibpad(probe.handle, listener.address);
    if (!options.noClear) ibclr(probe.handle);
    ibrsp(probe.handle);
    if (options.delayed) Wait(std::chrono::milliseconds(100));
    ibwrt(probe.handle, query);
    std::string buffer(kIdBufferSize, ' ');
    ibrd(probe.handle, buffer);
    std::string response = CleanIdResponse(buffer);

    if (Matches(response, expected, options.exact)) {
      listener.free = false;
      int16_t handle = probe.handle;
      listener.handle = handle;
      ibtmo(handle, DeviceTimeout);
      probe.open = false;
      return handle;
    }
    // A device left mid-message would answer the next search with stale output.
    if (status.Err()) ibclr(probe.handle);
    responses = response + "\n" + responses;
  }

  // The spare handle stays open for the next search.
  if (options.optional) return 0;
  std::string text = "ID Query: " + query + "\n\nExpected Response: " + expected + "\n\nReceived Response(s):\n" +
                     responses + "\nCorrect the problem and re" +
                     (options.nonFatal ? "try. Program will continue." : "start. Program will end.");
  op_.ShowMessBox(text, kCritical, "Expected Id-response from device not found" + std::string(40, ' '));
  if (!options.nonFatal) op_.EndProgram();
  return 0;
}

}  // namespace veridane
