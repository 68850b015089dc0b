#include "ui/console/console_operator.h"

#include <ostream>
#include <sstream>
#include <vector>

#include "platform/file_checks.h"
#include "platform/mess_box_style.h"
#include "platform/text8.h"

namespace veridane {

namespace {

std::string CaptionOfCode(BoxAnswer answer) {
  static constexpr const char* kCaptions[] = {"OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
  if (answer >= kOk && answer <= kNo) return kCaptions[answer - kOk];
  return std::to_string(answer);
}

// The button's caption (any case) or its code; none when it is neither.
std::optional<BoxAnswer> AnswerFromText(const std::string& text) {
  const std::string upper = UpperCase(text);
  for (int code = kOk; code <= kNo; ++code)
    if (upper == UpperCase(CaptionOfCode(static_cast<BoxAnswer>(code)))) return static_cast<BoxAnswer>(code);
  if (text.size() == 1) return BoxAnswerFromCode(text[0] - '0');
  return std::nullopt;
}

bool SetHasCode(Buttons buttonSet, BoxAnswer answer) {
  for (const std::string& caption : CaptionsForSet(buttonSet))
    if (!caption.empty() && AnswerFromCaption(caption) == answer) return true;
  return false;
}

}  // namespace

ConsoleOperator::ConsoleOperator(std::ostream& out) : out_(out) {}

ConsoleOperator::ConsoleOperator(std::vector<AnswerRule> rules, std::ostream& out)
    : rules_(std::move(rules)), out_(out) {}

std::vector<AnswerRule> ConsoleOperator::ReadAnswers(const std::string& path) {
  const FileRead read = ReadRegularFile(path, kAnswersFileLimit);
  if (!read.Ok()) throw AnswersFileError("The answers file " + path + " " + read.problem + ".");
  return ParseAnswers(read.bytes, path);
}

std::vector<AnswerRule> ConsoleOperator::ParseAnswers(std::string_view content, const std::string& source) {
  std::vector<AnswerRule> rules;
  int lineNumber = 0;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    std::string line(content.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trim(line).empty() || Trim(line).front() == '#') continue;

    const std::string where = source + ", line " + std::to_string(lineNumber) + ": ";
    std::vector<std::string> fields;
    for (size_t from = 0;;) {
      const size_t tab = line.find('\t', from);
      fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
      if (tab == std::string::npos) break;
      from = tab + 1;
    }
    if (fields.size() < 2 || fields.size() > 3)
      throw AnswersFileError(where +
                             "expected a caption pattern, a tab and an answer (or caption pattern, tab, text "
                             "pattern, tab, answer)");
    AnswerRule rule;
    rule.line = lineNumber;
    // The file is edited as UTF-8; captions and texts are the program's 8-bit text.
    rule.pattern = Text8FromUtf8(fields.front());
    const std::string answerText = Trim(fields.back());
    const std::optional<BoxAnswer> answer = AnswerFromText(answerText);
    if (!answer)
      throw AnswersFileError(where + "unknown answer \"" + answerText +
                             "\" (use OK, Cancel, Abort, Retry, Ignore, Yes, No or a code 1 to 7)");
    rule.answer = *answer;
    try {
      rule.caption = CaptionPattern(rule.pattern);
    } catch (const BadCaptionPattern& error) {
      // A runaway pattern is shown by its start: the message has to fit a terminal.
      const std::string shown = rule.pattern.size() > 80 ? rule.pattern.substr(0, 80) + "..." : rule.pattern;
      throw AnswersFileError(where + "bad caption pattern \"" + Utf8FromText8(shown) + "\": " + error.what());
    }
    if (fields.size() == 3) {
      const std::string textPattern = Text8FromUtf8(fields[1]);
      try {
        rule.text = CaptionPattern(textPattern);
      } catch (const BadCaptionPattern& error) {
        const std::string shown = textPattern.size() > 80 ? textPattern.substr(0, 80) + "..." : textPattern;
        throw AnswersFileError(where + "bad text pattern \"" + Utf8FromText8(shown) + "\": " + error.what());
      }
      rule.matchText = true;
    }
    rules.push_back(std::move(rule));
  }
  return rules;
}

BoxAnswer ConsoleOperator::AffirmativeAnswer(Buttons buttonSet) {
  for (BoxAnswer code : {kOk, kYes, kRetry})
    if (SetHasCode(buttonSet, code)) return code;
  return CloseBoxAnswer(buttonSet);
}

BoxAnswer ConsoleOperator::Choose(Buttons buttonSet, std::string_view caption, std::string_view text) {
  const std::string promptText = MessageLines(text);
  for (const AnswerRule& rule : rules_) {
    if (!rule.caption.FoundIn(caption)) continue;
    if (rule.matchText && !rule.text.FoundIn(promptText)) continue;
    if (SetHasCode(buttonSet, rule.answer)) return rule.answer;
    const BoxAnswer fallback = AffirmativeAnswer(buttonSet);
    out_ << "  (answers file line " << rule.line << ": the box has no " << CaptionOfCode(rule.answer)
         << " button; answering " << CaptionOfCode(fallback) << ")\n";
    return fallback;
  }
  return AffirmativeAnswer(buttonSet);
}

BoxAnswer ConsoleOperator::ShowMessBox(std::string_view text, int16_t style, std::string_view caption) {
  const BoxStyle decoded = DecodeStyle(style);
  out_ << "\n" << Utf8FromText8(MessBoxTitleLine(caption, decoded.icon)) << "\n";
  std::string lines = MessageLines(text);
  if (!lines.empty() && lines.back() != '\n') lines += '\n';
  out_ << Utf8FromText8(lines);

  const BoxAnswer answer =
      BoundQuestion(decoded.buttons, text, style, caption, Choose(decoded.buttons, caption, text));
  const ButtonCaptions captions = CaptionsForSet(decoded.buttons);
  for (int i = 2; i >= 0; --i)
    if (!captions[static_cast<size_t>(i)].empty()) out_ << "[" << captions[static_cast<size_t>(i)] << "] ";
  out_ << "-> " << CaptionOfCode(answer) << std::endl;

  GuardAgainstRepeats(text, style, caption, answer);
  return answer;
}

BoxAnswer ConsoleOperator::BoundQuestion(Buttons buttonSet, std::string_view text, int16_t style,
                                         std::string_view caption, BoxAnswer answer) {
  if (answer != kYes || !SetHasCode(buttonSet, kNo)) return answer;
  const uint64_t step = stepMark_ ? stepMark_() : 0;
  if (step != questionStep_) {
    questionCounts_.clear();
    questionStep_ = step;
  }
  const std::string key = std::to_string(style) + '\x1f' + std::string(caption) + '\x1f' + std::string(text);
  const int asked = ++questionCounts_[key];
  if (asked <= kQuestionBound) return answer;
  out_ << "  (asked " << asked << " times for this step: answering No)\n";
  if (bounded_) bounded_(caption);
  return kNo;
}

void ConsoleOperator::Witness(std::string_view text, int16_t style, std::string_view caption, BoxAnswer answer) {
  GuardAgainstRepeats(text, style, caption, answer);
}

void ConsoleOperator::GuardAgainstRepeats(std::string_view text, int16_t style, std::string_view caption,
                                          BoxAnswer answer) {
  std::string prompt = std::to_string(style) + '\x1f' + std::string(caption) + '\x1f' + std::string(text) +
                       '\x1f' + std::to_string(answer);
  const int recent = ++recentCounts_[prompt];
  recentPrompts_.push_back(std::move(prompt));
  if (recentPrompts_.size() > kRepeatWindow) {
    const auto oldest = recentCounts_.find(recentPrompts_.front());
    if (--oldest->second == 0) recentCounts_.erase(oldest);
    recentPrompts_.pop_front();
  }
  if (recent >= kRepeatLimit) {
    out_ << "The same prompt came " << recent << " times among the last " << kRepeatWindow
         << " prompts with the same answer; ending the run.\n  The prompt: \"" << Utf8FromText8(caption) << "\" ("
         << Utf8FromText8(MessageLines(text.substr(0, text.find('\n')))) << ")" << std::endl;
    EndProgram();
  }
}

void ConsoleOperator::ShowInfo(std::string_view text) {
  if (text.empty()) return;
  const std::string_view line = text.front() == '+' ? text.substr(1) : text;
  out_ << "(info) " << Utf8FromText8(MessageLines(line)) << std::endl;
}

void ConsoleOperator::EndProgram() { throw ProgramEnded(); }

}  // namespace veridane
