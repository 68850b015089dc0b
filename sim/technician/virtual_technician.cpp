#include "sim/technician/virtual_technician.h"

#include <algorithm>

#include "platform/numbers.h"
#include "platform/text8.h"
#include "sim/technician/prompt_reading.h"
#include "sim/technician/text_match.h"

namespace veridane::sim {

namespace {


// The lines an end-of-test message is made of.
bool IsEndOfTestText(std::string_view text) {
  for (const std::string& line : PromptLines(text)) {
    if (line != "Test Passed.              " && line != "Test Failed.              " &&
        line != "Test Sequence Terminated by Operator." && line != "Full Sequence Terminated." &&
        line != "Disconnect all input signals." && !line.empty()) {
      return false;
    }
  }
  return true;
}

// Captions of the program's error reports; the technician reads them and presses OK.
bool IsErrorCaption(std::string_view caption) {
  static constexpr std::string_view kExact[] = {
      "I/O Error",         "Device Error",      "Not enough devices on the bus", "No Amplitude change ERROR",
      "SetSG Parameter mismatch", "SetCalibrator Unknown Function", "SetCalibrator Parameter mismatch",
      "WaitOPC Parameter mismatch", "Command Error", "TDS", "Create Log File Error", "Filename Error",
      "SG Comp file error"};
  for (std::string_view known : kExact) {
    if (caption == known) return true;
  }
  return StartsWith(caption, "Initialization Error") ||
         StartsWith(caption, "Expected Id-response from device not found");
}

std::string AnswerName(std::optional<BoxAnswer> answer) {
  if (!answer) return "?";
  switch (*answer) {
    case kOk: return "OK";
    case kCancel: return "Cancel";
    case kAbort: return "Abort";
    case kRetry: return "Retry";
    case kIgnore: return "Ignore";
    case kYes: return "Yes";
    case kNo: return "No";
  }
  return "?";
}

std::string OneLine(std::string_view text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      line += " / ";
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace

UnknownPrompt::UnknownPrompt(std::string caption, std::string text, std::string reason)
    : PromptNotFollowed("The virtual technician could not follow the prompt \"" + caption + "\" (\"" + OneLine(text) +
                        "\"): " + (reason.empty() ? "it does not know this prompt" : reason)),
      caption_(std::move(caption)),
      text_(std::move(text)),
      reason_(std::move(reason)) {}

BoxAnswer AffirmativeAnswer(int16_t style) {
  switch (static_cast<Buttons>(style & 7)) {
    case Buttons::OkOnly:
    case Buttons::OkCancel: return kOk;
    case Buttons::AbortRetryIgnore:
    case Buttons::RetryCancel: return kRetry;
    default: return kYes;
  }
}

BoxAnswer RefusalAnswer(int16_t style) {
  switch (static_cast<Buttons>(style & 7)) {
    case Buttons::OkOnly: return kOk;
    case Buttons::AbortRetryIgnore: return kAbort;
    case Buttons::YesNo: return kNo;
    default: return kCancel;
  }
}

VirtualTechnician::VirtualTechnician(Bench& bench, TechnicianOptions options)
    : bench_(bench), options_(options), hands_(bench, options.knobError, options.seed) {}

VirtualTechnician::VirtualTechnician(Bench& bench, Operator& person, TechnicianOptions options)
    : VirtualTechnician(bench, options) {
  person_ = &person;
}

bool VirtualTechnician::ReadAction(std::string_view caption, std::string_view text, int16_t style, Reading& r) {
  r.answer = AffirmativeAnswer(style);
  if (StartsWith(caption, "Set the ")) {
    if (std::optional<GeneratorSetting> generator = ReadGeneratorSetting(text)) {
      r.act = [this, setting = *generator] { return hands_.SetGenerator(setting); };
      return true;
    }
    if (std::optional<CalibratorSetting> calibrator = ReadCalibratorSetting(text)) {
      if (calibrator->output.unit != "V" || calibrator->frequencyHz != 0) {
        r.reason = "the calibrator on this bench gives DC volts only";
        return false;
      }
      r.act = [this, volts = calibrator->output.value] { return hands_.SetCalibratorVolts(volts); };
      return true;
    }
    return false;
  }
  if (caption == "Frequency Error" || caption == "Amplitude Error") {
    std::optional<KnobInstruction> knob = ReadKnobInstruction(text);
    if (!knob) return false;
    bool frequency = knob->quantity == KnobInstruction::Quantity::Frequency;
    if (frequency != (caption == "Frequency Error")) return false;
    r.act = [this, turn = *knob] { return hands_.TurnKnob(turn); };
    r.repeatable = true;
    // With "Try again ?" No takes the signal as it is; otherwise only Cancel is left.
    r.giveUpAnswer = knob->tryAgain ? kNo : kCancel;
    r.answer = knob->tryAgain ? kYes : kOk;
    return true;
  }
  if (EndsWith(caption, " / End of Test") && IsEndOfTestText(text)) {
    if (Contains(text, "Disconnect all input signals.")) r.act = [this] { return hands_.DisconnectAll(); };
    return true;
  }
  if (StartsWith(text, "A hint as you are doing this test manually")) return true;  // a hint, nothing to do

  std::optional<CablingInstruction> cabling = ReadCablingInstruction(text);
  if (!cabling) return false;
  using Kind = CablingInstruction::Kind;
  CablingInstruction c = *cabling;
  switch (c.kind) {
    case Kind::Connect:
      r.act = [this, c] {
        std::string done = hands_.Connect(c.source, c.input, c.terminated);
        if (c.markerPeriodS) done += ", " + hands_.SetTimeMarks(*c.markerPeriodS);
        return done;
      };
      break;
    case Kind::Move: r.act = [this, c] { return hands_.Move(c.input, c.terminated); }; break;
    case Kind::DisconnectAll: r.act = [this] { return hands_.DisconnectAll(); }; break;
    case Kind::SystemCables: r.act = [this] { return hands_.UseSystemCables(); }; break;
    case Kind::TerminateAll: r.act = [this] { return hands_.TerminateAll(true); }; break;
    case Kind::TerminateInput: r.act = [this, c] { return hands_.Terminate(c.input); }; break;
    case Kind::RemoveTerminations: r.act = [this] { return hands_.TerminateAll(false); }; break;
  }
  return true;
}

bool VirtualTechnician::ReadQuestion(std::string_view caption, std::string_view text, int16_t style, Reading& r) {
  r.answer = AffirmativeAnswer(style);
  if (caption == "Auto mode possible" && StartsWith(text, "Do you wish to continue in Auto mode ?")) {
    r.answer = options_.autoModeAnswer;
  } else if (caption == "Adjust" && StartsWith(text, "You have selected to do a Full Sequence PV of the ")) {
  } else if (caption == "SPC" && StartsWith(text, "Do you wish to perform a Self Cal ?")) {
  } else if (caption == "Log File" && text == "Logging has not been selected.\nDo you want to create a Log File ?") {
    r.answer = options_.createLogAnswer;
  } else if (caption == "Create Log File" && StartsWith(text, "This will clear screen and (re)set all test status.")) {
  } else if (caption == "Folder Error" && (EndsWith(text, "Do you want to create it ?") || EndsWith(text, " Doesn't exist."))) {
  } else if (caption == "File Error" && Contains(text, " already exists.")) {
    r.answer = options_.overwriteLogAnswer;
  } else if (caption == "File Error" && (Contains(text, ".tst which contains the PASS/FAIL data is missing or corrupt") ||
                                         EndsWith(text, ".log is missing or corrupt"))) {
  } else if (caption == "Close Log File" && StartsWith(text, "Do you really want to close logfile: ")) {
  } else if (caption == "Disable Auto Mode" && text == "Are you sure ?") {
  } else if ((caption == "Large Frequency Error" || caption == "Large Amplitude Error") &&
             EndsWith(text, "Do you wish to continue ?")) {
    // Something is wrong with the set-up; go on, but not forever.
    r.error = true;
    r.repeatable = true;
    r.giveUpAnswer = kNo;
  } else if ((caption == "Frequency Error" || caption == "Amplitude Error") && StartsWith(text, "Unable set the ") &&
             EndsWith(text, "Do you wish to try again ?")) {
    r.error = true;
    r.repeatable = true;
    r.giveUpAnswer = kNo;
  } else {
    return false;
  }
  return true;
}

bool VirtualTechnician::ReadNotice(std::string_view caption, std::string_view text, int16_t style, Reading& r) {
  r.answer = AffirmativeAnswer(style);
  if (caption == "SPC" && StartsWith(text, "Self Calibration ")) return true;
  if (caption == "End of Full Sequence" && (text == "Full Sequence Passed." || text == "Full Sequence Failed.")) return true;
  if (caption == "Current Module versions") return true;
  if (caption == "Bench") return true;  // what the bench file says about itself
  // The results are not stored, the tests go on: acknowledged, and counted as trouble.
  if (caption == "Results Database" && StartsWith(text, "The results database ")) {
    r.error = true;
    return true;
  }
  // The run goes on without logs: acknowledged, and counted as trouble at the bench.
  if (caption == "Data Folder" && StartsWith(text, "The data folder\n")) {
    r.error = true;
    return true;
  }
  if (StartsWith(caption, "GPIB ERROR #")) {
    r.error = true;
    r.answer = options_.gpibErrorAnswer;
    return true;
  }
  if (IsErrorCaption(caption)) {
    r.error = true;
    return true;
  }
  return false;
}

VirtualTechnician::Reading VirtualTechnician::Read(std::string_view caption, std::string_view text, int16_t style) {
  Reading r;
  r.understood = ReadAction(caption, text, style, r) || ReadQuestion(caption, text, style, r) ||
                 ReadNotice(caption, text, style, r);
  if (!r.understood) r.act = nullptr;
  return r;
}

int VirtualTechnician::CountInStep(const std::string& key, const Reading& reading) {
  if (!reading.repeatable && !reading.error) {
    stepCounts_.clear();
    stepPrompts_ = 0;
  }
  ++stepPrompts_;
  return ++stepCounts_[key];
}

void VirtualTechnician::Record(TranscriptEntry entry) {
  if (transcript_.size() >= options_.maxTranscript && !transcript_.empty()) {
    const std::size_t drop = std::max<std::size_t>(1, transcript_.size() / 2);
    transcript_.erase(transcript_.begin(), transcript_.begin() + static_cast<std::ptrdiff_t>(drop));
    droppedEntries_ += drop;
  }
  transcript_.push_back(std::move(entry));
}

BoxAnswer VirtualTechnician::ShowMessBox(std::string_view text, int16_t style, std::string_view caption) {
  TranscriptEntry entry;
  entry.caption = std::string(caption);
  entry.text = std::string(text);
  entry.style = style;

  Reading reading = Read(caption, text, style);
  const int repeats = CountInStep(entry.caption + '\x01' + entry.text, reading);
  if (!person_ && (stepPrompts_ > options_.maxPromptsPerStep || repeats > options_.maxSamePrompt)) {
    entry.understood = false;
    Record(entry);
    throw TechnicianGaveUp("The virtual technician gave up at the prompt \"" + entry.caption + "\" (\"" +
                           OneLine(entry.text) + "\"): " +
                           (repeats > options_.maxSamePrompt
                                ? "it came " + std::to_string(repeats) + " times for the same step"
                                : std::to_string(stepPrompts_) + " prompts came for the same step") +
                           " and no answer moves the run on.");
  }
  bool givingUp = !person_ && reading.repeatable && repeats > options_.maxRepeats;
  if (reading.understood && reading.act && !givingUp) {
    try {
      entry.action = reading.act();
    } catch (const ActionImpossible& impossible) {
      reading.understood = false;
      reading.reason = impossible.what();
    }
  }
  entry.understood = reading.understood;
  entry.error = reading.error;

  if (!reading.understood) {
    if (options_.unknownPrompts == UnknownPromptPolicy::kThrow) {
      entry.answer.reset();
      Record(entry);
      throw UnknownPrompt(entry.caption, entry.text, reading.reason);
    }
    entry.answer = person_ ? person_->ShowMessBox(text, style, caption) : RefusalAnswer(style);
  } else if (person_) {
    entry.answer = person_->ShowMessBox(text, style, caption);
  } else {
    entry.answer = givingUp ? reading.giveUpAnswer : reading.answer;
    if (givingUp) entry.action = "gave up after" + PlainText(options_.maxRepeats) + " tries";
  }
  const BoxAnswer answer = *entry.answer;
  Record(std::move(entry));
  if (options_.witness) options_.witness(text, style, caption, answer);
  return answer;
}

void VirtualTechnician::ShowInfo(std::string_view text) {
  TranscriptEntry entry;
  entry.kind = TranscriptEntry::Kind::Info;
  entry.text = std::string(text);
  Record(std::move(entry));
  if (person_) person_->ShowInfo(text);
}

void VirtualTechnician::SetBusy(bool busy) {
  if (person_) person_->SetBusy(busy);
}

void VirtualTechnician::EndProgram() {
  TranscriptEntry entry;
  entry.kind = TranscriptEntry::Kind::EndProgram;
  Record(std::move(entry));
  if (person_) person_->EndProgram();
  throw ProgramEnded();
}

int VirtualTechnician::ErrorCount() const {
  int count = 0;
  for (const TranscriptEntry& entry : transcript_) count += entry.error ? 1 : 0;
  return count;
}

int VirtualTechnician::UnknownCount() const {
  int count = 0;
  for (const TranscriptEntry& entry : transcript_) count += entry.understood ? 0 : 1;
  return count;
}

std::string VirtualTechnician::TranscriptText() const {
  std::string text;
  if (droppedEntries_ > 0) text += "(" + std::to_string(droppedEntries_) + " earlier entries left out)\n";
  for (const TranscriptEntry& entry : transcript_) {
    switch (entry.kind) {
      case TranscriptEntry::Kind::Info: text += "info: " + OneLine(entry.text) + "\n"; break;
      case TranscriptEntry::Kind::EndProgram: text += "program ended\n"; break;
      case TranscriptEntry::Kind::Prompt:
        text += "[" + entry.caption + "] " + OneLine(entry.text) + " ->" +
                (entry.understood ? " " : " NOT UNDERSTOOD, ") + AnswerName(entry.answer);
        if (!entry.action.empty()) text += " (" + entry.action + ")";
        text += "\n";
        break;
    }
  }
  return text;
}

}  // namespace veridane::sim
