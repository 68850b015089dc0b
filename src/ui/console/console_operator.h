#pragma once
// The technician of a run without a display: every prompt is printed to the error stream and
// answered by policy, either the box's affirmative answer (OK, Yes or Retry) or the first
// matching line of an answers file. The file has lines "caption-regex<TAB>answer" or
// "caption-regex<TAB>text-regex<TAB>answer" (for two prompts that share a caption); the answer
// is OK, Cancel, Abort, Retry, Ignore, Yes, No or a button code 1 to 7; lines starting with '#'
// and blank lines are skipped. Each pattern is searched for anywhere in the caption or in the
// prompt's text (anchor it with ^ and $ for an exact caption); the text's lines are joined by
// LF. See caption_pattern.h for what a pattern may hold.
#include <cstdint>
#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/operator.h"
#include "ui/console/caption_pattern.h"

namespace veridane {

// A missing, unreadable or malformed answers file; the message names the file and the line.
class AnswersFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct AnswerRule {
  std::string pattern;  // as written in the file, 8-bit
  CaptionPattern caption;
  bool matchText = false;  // a three-field rule: the prompt's text must match too
  CaptionPattern text;
  BoxAnswer answer = kOk;
  int line = 0;
};

class ConsoleOperator : public Operator {
 public:
  // A prompt that comes this many times with the same answer among the last kRepeatWindow
  // prompts means the run is going in circles (Retry on a fault that stays, or an error and its
  // "continue?" taking turns); the run is ended instead of hanging.
  static constexpr int kRepeatLimit = 50;
  static constexpr std::size_t kRepeatWindow = 100;
  // An answers file is a page of rules; anything bigger is a wrong file.
  static constexpr std::size_t kAnswersFileLimit = 1 << 20;
  // A Yes/No question answered Yes that comes back more often than this for one step is a loop
  // no Yes will end (a signal the scope cannot reach): it is answered No.
  static constexpr int kQuestionBound = 5;

  explicit ConsoleOperator(std::ostream& out);
  ConsoleOperator(std::vector<AnswerRule> rules, std::ostream& out);

  // The rules of an answers file; throws AnswersFileError when it cannot be read or is malformed.
  static std::vector<AnswerRule> ReadAnswers(const std::string& path);
  static std::vector<AnswerRule> ParseAnswers(std::string_view content, const std::string& source);

  using Operator::ShowMessBox;
  BoxAnswer ShowMessBox(std::string_view text, int16_t style, std::string_view caption) override;
  void ShowInfo(std::string_view text) override;
  [[noreturn]] void EndProgram() override;

  // OK, Yes or Retry, whichever the button set has.
  static BoxAnswer AffirmativeAnswer(Buttons buttonSet);

  // A prompt someone else answered (the bench's own technician): it counts for the repeat
  // guard as if answered here.
  void Witness(std::string_view text, int16_t style, std::string_view caption, BoxAnswer answer);

  // What tells one step of a test from the next (the rows shown so far); the question bound
  // counts within one value of it. Without it every prompt counts towards the bound.
  void SetStepMark(std::function<uint64_t()> mark) { stepMark_ = std::move(mark); }
  // Called after a question was answered No for coming back too often.
  void OnQuestionBounded(std::function<void(std::string_view caption)> bounded) { bounded_ = std::move(bounded); }

 private:
  BoxAnswer Choose(Buttons buttonSet, std::string_view caption, std::string_view text);
  void GuardAgainstRepeats(std::string_view text, int16_t style, std::string_view caption, BoxAnswer answer);
  // Yes, or No for a question that came back past kQuestionBound in this step.
  BoxAnswer BoundQuestion(Buttons buttonSet, std::string_view text, int16_t style, std::string_view caption,
                          BoxAnswer answer);

  std::vector<AnswerRule> rules_;
  std::ostream& out_;
  std::deque<std::string> recentPrompts_;
  std::map<std::string, int> recentCounts_;
  std::function<uint64_t()> stepMark_;
  std::function<void(std::string_view)> bounded_;
  uint64_t questionStep_ = 0;
  std::map<std::string, int> questionCounts_;
};

}  // namespace veridane
