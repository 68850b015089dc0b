#pragma once
// A minimal technician for the bus tests: remembers every message box, answers from a queue
// (OK when the queue is empty) and ends the program by throwing ProgramEnded.
#include <deque>
#include <string>
#include <vector>

#include "platform/operator.h"

namespace veridane::gpibtest {

struct Prompt {
  std::string text;
  int16_t style = 0;
  std::string caption;
};

class FakeOperator : public Operator {
 public:
  int16_t ShowMessBox(std::string_view text, int16_t style, std::string_view caption) override {
    prompts.push_back({std::string(text), style, std::string(caption)});
    if (answers.empty()) return kOk;
    int16_t answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowInfo(std::string_view) override {}
  [[noreturn]] void EndProgram() override {
    ++endCount;
    throw ProgramEnded();
  }

  std::vector<Prompt> prompts;
  std::deque<int16_t> answers;
  int endCount = 0;
};

}  // namespace veridane::gpibtest
