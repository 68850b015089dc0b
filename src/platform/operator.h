#pragma once
// The technician at the bench, as the program's logic sees them. Every prompt, warning and
// result message goes through ShowMessBox; the Qt window, the headless console, the tests'
// scripted operator and the simulated bench's virtual technician each implement it.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/box_style.h"

namespace veridane {

// What the technician answered a message box: the button pressed. The numbers are the
// buttons' codes, which an answers file may give instead of a name (1 to 7). Code that still
// keeps an answer as a number reads it as one.
enum BoxAnswer : int16_t {
  kOk = 1,
  kCancel = 2,
  kAbort = 3,
  kRetry = 4,
  kIgnore = 5,
  kYes = 6,
  kNo = 7,
};

// The answer a button code stands for; none for a number that is no button.
constexpr std::optional<BoxAnswer> BoxAnswerFromCode(int code) {
  if (code < kOk || code > kNo) return std::nullopt;
  return static_cast<BoxAnswer>(code);
}

// Thrown by EndProgram in the headless run and by the tests' operator, caught by main() or the
// test; it unwinds the stack so that open files are closed and nothing already written is lost.
class ProgramEnded : public std::runtime_error {
 public:
  ProgramEnded() : std::runtime_error("program ended") {}
};

class Operator {
 public:
  virtual ~Operator() = default;

  // Texts are the program's 8-bit text; LF breaks lines. Returns the button pressed. The style
  // number is BoxStyle::Code() of what the caller asked for.
  virtual BoxAnswer ShowMessBox(std::string_view text, int16_t style, std::string_view caption) = 0;
  BoxAnswer ShowMessBox(std::string_view text, BoxStyle style, std::string_view caption) {
    return ShowMessBox(text, style.Code(), caption);
  }

  // The modeless info window: empty text closes it, "+text" adds a line, other text replaces.
  virtual void ShowInfo(std::string_view text) = 0;

  // Hourglass pointer while the program is busy.
  virtual void SetBusy(bool /*busy*/) {}

  // Ends the program at once (fatal conditions). Never returns.
  [[noreturn]] virtual void EndProgram() = 0;
};

}  // namespace veridane
