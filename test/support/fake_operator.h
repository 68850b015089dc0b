#pragma once
// A minimal technician for the bus tests (and the bus built around it): remembers every message box, answers from a queue
// (OK when the queue is empty) and ends the program by throwing ProgramEnded.
#include <deque>
#include <string>
#include <vector>

#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "platform/operator.h"
#include "test/support/recording_gpib.h"

namespace veridane::gpibtest {

struct Prompt {
  std::string text;
  int16_t style = 0;
  std::string caption;
};

class FakeOperator : public Operator {
 public:
  using Operator::ShowMessBox;
  BoxAnswer ShowMessBox(std::string_view text, int16_t style, std::string_view caption) override {
    prompts.push_back({std::string(text), style, std::string(caption)});
    if (answers.empty()) return kOk;
    BoxAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowInfo(std::string_view) override {}
  [[noreturn]] void EndProgram() override {
    ++endCount;
    throw ProgramEnded();
  }

  std::vector<Prompt> prompts;
  std::deque<BoxAnswer> answers;
  int endCount = 0;
};

// The bus layer over the recording driver, answered by the fake technician.
struct BusBench {
  testing::RecordingGpib driver;
  FakeOperator op;
  VirtualClock clock;
  GpibBus bus{driver, op, clock};
};

}  // namespace veridane::gpibtest
