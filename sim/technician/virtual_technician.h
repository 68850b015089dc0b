#pragma once
// The virtual technician: an Operator that reads every prompt as a person at the bench would,
// does what it says on the simulated bench (cables, terminations, the hand-set generator,
// calibrator and time marks, the knob of the closed-loop setting), then answers. Questions of
// a sequence the technician started get a Yes, information boxes an OK; the Auto-mode offer
// and the log-file questions get configurable answers. Every prompt is kept in a transcript.
//
// A prompt it cannot understand, or cannot carry out on the bench, is a failure: by default it
// throws UnknownPrompt (so a test guards the prompt texts); the GUI assistant may choose to
// answer with the box's refusal instead.
//
// As an assistant it wraps the person's own Operator: the technician does the physical part,
// then the person sees the prompt and their answer is returned.
#include <cstddef>
#include <cstdint>
#include <map>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bench_backend.h"
#include "platform/operator.h"
#include "sim/bench/bench.h"
#include "sim/technician/bench_hands.h"

namespace veridane::sim {

class UnknownPrompt : public PromptNotFollowed {
 public:
  UnknownPrompt(std::string caption, std::string text, std::string reason);
  const std::string& Caption() const { return caption_; }
  const std::string& Text() const { return text_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string caption_;
  std::string text_;
  std::string reason_;
};

// The run goes in circles: the technician stops it and says at which prompt.
class TechnicianGaveUp : public PromptNotFollowed {
 public:
  using PromptNotFollowed::PromptNotFollowed;
};

enum class UnknownPromptPolicy {
  kThrow,         // throw UnknownPrompt
  kAnswerRefusal  // answer Cancel (No for Yes/No, Abort for Abort/Retry/Ignore, OK for OK only)
};

struct TechnicianOptions {
  BoxAnswer autoModeAnswer = kYes;     // "Auto mode possible": kYes, kNo or kCancel
  BoxAnswer createLogAnswer = kNo;     // "Do you want to create a Log File ?"
  BoxAnswer overwriteLogAnswer = kNo;  // "The Log File ... already exists."
  BoxAnswer gpibErrorAnswer = kOk;     // "GPIB ERROR #": OK goes on, Cancel ends the program
  double knobError = 0;               // fraction: 0.02 sets the generator knobs within ±2 %
  uint32_t seed = 1;                  // for the knob errors
  // The same correction question asked this many times for one step (error reports in between
  // do not start a new step): the technician gives up (accepts the signal where the program
  // allows it, otherwise stops the test).
  int maxRepeats = 8;
  // This many prompts for one step, or the same prompt this many times, and the run is going
  // in circles that no answer ends: the technician leaves the bench (throws TechnicianGaveUp).
  int maxPromptsPerStep = 2000;
  int maxSamePrompt = 200;
  // Oldest entries beyond this are dropped from the transcript (and counted), so that a long
  // run keeps its memory.
  std::size_t maxTranscript = 20000;
  // Sees every prompt and the answer given (the headless run's repeat guard); may throw.
  std::function<void(std::string_view text, int16_t style, std::string_view caption, BoxAnswer answer)> witness;
  UnknownPromptPolicy unknownPrompts = UnknownPromptPolicy::kThrow;
};

struct TranscriptEntry {
  enum class Kind { Prompt, Info, EndProgram };
  Kind kind = Kind::Prompt;
  std::string caption;
  std::string text;
  int16_t style = 0;
  std::optional<BoxAnswer> answer;  // none: the prompt was not answered
  std::string action;       // what the technician did at the bench, empty for nothing
  bool understood = true;   // false: the prompt was unknown or could not be carried out
  bool error = false;       // the program reported an error or a fatal condition
};

class VirtualTechnician : public Operator {
 public:
  VirtualTechnician(Bench& bench, TechnicianOptions options = {});
  // Assistant: `person` sees every prompt after the technician's physical part, and answers.
  VirtualTechnician(Bench& bench, Operator& person, TechnicianOptions options = {});

  using Operator::ShowMessBox;
  BoxAnswer ShowMessBox(std::string_view text, int16_t style, std::string_view caption) override;
  void ShowInfo(std::string_view text) override;
  void SetBusy(bool busy) override;
  [[noreturn]] void EndProgram() override;

  const std::vector<TranscriptEntry>& Transcript() const { return transcript_; }
  // The transcript as readable lines (8-bit text): caption, text, answer and action.
  std::string TranscriptText() const;
  int ErrorCount() const;
  int UnknownCount() const;
  BenchHands& Hands() { return hands_; }

 private:
  struct Reading {
    bool understood = false;
    BoxAnswer answer = kOk;
    bool error = false;
    bool repeatable = false;    // a correction question that may come back again and again
    BoxAnswer giveUpAnswer = kNo;
    std::function<std::string()> act;  // the physical part; returns what was done
    std::string reason;                // why it was not understood
  };
  Reading Read(std::string_view caption, std::string_view text, int16_t style);
  bool ReadAction(std::string_view caption, std::string_view text, int16_t style, Reading& reading);
  bool ReadQuestion(std::string_view caption, std::string_view text, int16_t style, Reading& reading);
  bool ReadNotice(std::string_view caption, std::string_view text, int16_t style, Reading& reading);

  Bench& bench_;
  Operator* person_ = nullptr;
  TechnicianOptions options_;
  BenchHands hands_;
  std::vector<TranscriptEntry> transcript_;
  // Counts how often a prompt came within the current step; returns that count.
  int CountInStep(const std::string& key, const Reading& reading);
  void Record(TranscriptEntry entry);

  // Prompts of the current step by caption and text; a prompt that is neither a correction
  // question nor an error report starts a new step.
  std::map<std::string, int> stepCounts_;
  int stepPrompts_ = 0;
  std::size_t droppedEntries_ = 0;
};

// The affirmative button of a style (OK, Yes, Retry) and its refusal (Cancel, No, Abort; OK
// for an OK-only box).
BoxAnswer AffirmativeAnswer(int16_t style);
BoxAnswer RefusalAnswer(int16_t style);

}  // namespace veridane::sim
