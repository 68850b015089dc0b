#include "pv/procedures/self_cal.h"

#include <string>

#include "platform/numbers.h"
#include "platform/text8.h"

namespace veridane {

namespace {

constexpr std::string_view kCaption = "SPC";

struct Announcement {
  bool ask = false;
  std::string duration;  // empty: no duration shown
};

Announcement Decode(std::string_view minutes) {
  const std::string text = Trim(minutes);
  if (text.empty()) return {};
  const double value = NumericValue(text);
  if (value > 0) return {true, text};
  if (value < 0) return {false, text.substr(1)};
  return {true, ""};
}

// The scope answers with a number; blanks left in the buffer by a read that never got an
// answer, or a garbled reply, read as 0 but are no success.
bool ReadsAsNumber(std::string_view reply) {
  std::string text = Trim(reply);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  size_t digit = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  return digit < text.size() && text[digit] >= '0' && text[digit] <= '9';
}

// What the scope answered, as the stored step's measured cell says it.
std::string AnswerText(bool answered, std::string_view reply) {
  if (!answered) return "no answer";
  std::string text;
  for (char c : reply)
    if (c > ' ' && c < 0x7F) text += c;
  return text.empty() ? "no answer" : "answered " + text;
}

int16_t Calibrate(ScopeLink& link, std::string& answer) {
  GpibBus& bus = link.bus;
  const int16_t scope = link.Device();
  const DriverTimeout previous = bus.CurrentTimeout(scope);
  bus.ibtmo(scope, DriverTimeout::ThreeHundredSeconds);
  bus.GpibWrite(scope, "*CAL?");
  std::string reply(2, ' ');
  bus.ibrd(scope, reply);
  const bool answered = !bus.status.Err();
  bus.GpibErrorCheck();
  bus.ibtmo(scope, previous);
  answer = AnswerText(answered, reply);
  if (!answered || !ReadsAsNumber(reply)) return kSelfCalFailed;
  return static_cast<int16_t>(NumericValue(reply));
}

}  // namespace

int16_t SelfCal(ScopeLink& scope, ScannerDriver& scanners, Operator& op, RunState& state, TestRun& test, StopToken stop,
                std::string_view minutes) {
  state.SelfCalDone = false;
  int16_t result = kSelfCalNotPerformed;
  const Announcement announcement = Decode(minutes);
  std::string answer;

  bool go = true;
  if (announcement.ask) {
    std::string question = "Do you wish to perform a Self Cal ?";
    if (!announcement.duration.empty())
      question += "\nThis will take approximately " + announcement.duration + " minutes.";
    if (op.ShowMessBox(question, kYesNo + kQuestion, kCaption) == kNo) go = false;
  }
  if (go) {
    if (IsAuto(state.AutoMode)) {
      scanners.ScannerReset();  // all relays open: nothing reaches the inputs
    } else if (op.ShowMessBox("Remove all input signals.", announcement.ask ? kOkCancel : kOkOnly, kCaption) ==
               kCancel) {
      go = false;
    }
  }
  if (go) {
    const std::string duration =
        announcement.duration.empty() ? "." : " - Will take approximately " + announcement.duration + " minutes.";
    op.ShowInfo("Please Wait ...");
    op.ShowInfo("+Self Cal in progress" + duration);
    result = Calibrate(scope, answer);
  } else {
    stop.Raise();
  }

  std::string outcome;
  if (result == kSelfCalNotPerformed) {
    outcome = "Self Calibration NOT performed.";
  } else if (result == kSelfCalPassed) {
    outcome = "Self Calibration has been succesfully performed.";
    state.SelfCalDone = true;
  } else {
    outcome = "Self Calibration Failed - Restart to try again.";
  }
  op.ShowInfo("");
  state.SelfCalResult = result;
  test.frame.TestStatusUpdate();
  if (result != kSelfCalNotPerformed) {
    StepResult step = AnswerStepResult("*CAL?", answer, result == kSelfCalPassed);
    step.test = kSelfCalEntry;
    step.testName = "Self Cal";
    test.frame.RecordOnly(step);
  }

  // Whatever the scope answered other than success, it did not calibrate: a scope verified on
  // top of that would pass with a wrong compensation. The failure is kept in the result
  // display (and so the log), shown even in an Auto sequence, and fails the sequence.
  const bool failed = result != kSelfCalNotPerformed && result != kSelfCalPassed;
  if (failed) {
    test.display.PrintScreen("");
    test.display.PrintScreen(UpperCase(outcome));
  }
  if (failed && state.FullSeqRunning) {
    outcome += "\nFull Sequence disabled.";
    state.FullSeqRunning = false;
    state.FullSeqFailed = true;
  } else if (IsAuto(state.AutoMode) && state.FullSeqRunning) {
    return result;  // an Auto sequence goes on without a word
  }
  op.ShowMessBox(outcome, kOkOnly + kInformation, kCaption);
  return result;
}

void SelfCalMenu(ScopeLink& scope, ScannerDriver& scanners, Operator& op, RunState& state, TestRun& test) {
  SelfCal(scope, scanners, op, state, test, test.frame.FreshStop(), "4");
}

}  // namespace veridane
