#pragma once
// The technician of a test: answers the prompts the test expects, in order, and fails the test
// on any other. Every prompt and every info text is recorded for later checks.
//
//   ScriptedOperator technician;
//   technician.Expect("Are you sure ?", 36, "Disable Auto Mode", kYes);
//   ... run the code ...
//   technician.ExpectAllConsumed();
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/operator.h"

namespace veridane::testing {

struct RecordedPrompt {
  std::string text;
  int16_t style = 0;
  std::string caption;
  BoxAnswer answer = kCancel;
};

class ScriptedOperator : public Operator {
 public:
  // The next prompt must have exactly this text, style and caption; it is answered with answer.
  ScriptedOperator& Expect(std::string text, int16_t style, std::string caption, BoxAnswer answer);
  ScriptedOperator& Expect(std::string text, BoxStyle style, std::string caption, BoxAnswer answer) {
    return Expect(std::move(text), style.Code(), std::move(caption), answer);
  }
  // The same, but the prompt's text need only contain textPart.
  ScriptedOperator& ExpectContaining(std::string textPart, int16_t style, std::string caption, BoxAnswer answer);
  ScriptedOperator& ExpectContaining(std::string textPart, BoxStyle style, std::string caption, BoxAnswer answer) {
    return ExpectContaining(std::move(textPart), style.Code(), std::move(caption), answer);
  }

  // An unexpected prompt fails the test and is answered with Cancel.
  using Operator::ShowMessBox;
  BoxAnswer ShowMessBox(std::string_view text, int16_t style, std::string_view caption) override;
  void ShowInfo(std::string_view text) override;
  void SetBusy(bool busy) override { busy_ = busy; }
  // Throws ProgramEnded (assert it with EXPECT_THROW).
  [[noreturn]] void EndProgram() override;

  const std::vector<RecordedPrompt>& Prompts() const { return prompts_; }
  const std::vector<std::string>& InfoTexts() const { return infoTexts_; }
  size_t PendingCount() const { return expected_.size() - next_; }
  bool Busy() const { return busy_; }
  int EndProgramCount() const { return endProgramCount_; }

  // Fails the test when expected prompts were never shown; true when all were.
  bool ExpectAllConsumed() const;

 private:
  struct Expectation {
    std::string text;
    bool substring = false;
    int16_t style = 0;
    std::string caption;
    BoxAnswer answer = kCancel;
  };
  bool Matches(const Expectation& expected, std::string_view text, int16_t style, std::string_view caption) const;

  std::vector<Expectation> expected_;
  size_t next_ = 0;
  std::vector<RecordedPrompt> prompts_;
  std::vector<std::string> infoTexts_;
  bool busy_ = false;
  int endProgramCount_ = 0;
};

}  // namespace veridane::testing
