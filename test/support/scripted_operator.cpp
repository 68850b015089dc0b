#include "test/support/scripted_operator.h"

#include <gtest/gtest.h>

namespace veridane::testing {

namespace {

std::string Describe(std::string_view text, int16_t style, std::string_view caption) {
  return "prompt (style " + std::to_string(style) + ", caption \"" + std::string(caption) + "\"): \"" +
         std::string(text) + "\"";
}

}  // namespace

ScriptedOperator& ScriptedOperator::Expect(std::string text, int16_t style, std::string caption, BoxAnswer answer) {
  expected_.push_back({std::move(text), false, style, std::move(caption), answer});
  return *this;
}

ScriptedOperator& ScriptedOperator::ExpectContaining(std::string textPart, int16_t style, std::string caption,
                                                     BoxAnswer answer) {
  expected_.push_back({std::move(textPart), true, style, std::move(caption), answer});
  return *this;
}

bool ScriptedOperator::Matches(const Expectation& expected, std::string_view text, int16_t style,
                               std::string_view caption) const {
  const bool textMatches =
      expected.substring ? text.find(expected.text) != std::string_view::npos : text == expected.text;
  return textMatches && style == expected.style && caption == expected.caption;
}

BoxAnswer ScriptedOperator::ShowMessBox(std::string_view text, int16_t style, std::string_view caption) {
  BoxAnswer answer = kCancel;
  if (next_ >= expected_.size()) {
    ADD_FAILURE() << "Unexpected " << Describe(text, style, caption) << " (no more prompts expected)";
  } else if (const Expectation& expected = expected_[next_]; !Matches(expected, text, style, caption)) {
    ADD_FAILURE() << "Unexpected " << Describe(text, style, caption) << "\n  expected "
                  << (expected.substring ? "a " : "") << Describe(expected.text, expected.style, expected.caption)
                  << (expected.substring ? " (text part)" : "");
  } else {
    answer = expected.answer;
    ++next_;
  }
  prompts_.push_back({std::string(text), style, std::string(caption), answer});
  return answer;
}

void ScriptedOperator::ShowInfo(std::string_view text) { infoTexts_.emplace_back(text); }

void ScriptedOperator::EndProgram() {
  ++endProgramCount_;
  throw ProgramEnded();
}

bool ScriptedOperator::ExpectAllConsumed() const {
  if (next_ == expected_.size()) return true;
  for (size_t i = next_; i < expected_.size(); ++i)
    ADD_FAILURE() << "Expected prompt never shown: "
                  << Describe(expected_[i].text, expected_[i].style, expected_[i].caption);
  return false;
}

}  // namespace veridane::testing
