// Answers files: any text gives rules or AnswersFileError; the rules then answer captions
// (8-bit, from the same input) in bounded time, always with a button of the box.
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/mess_box_style.h"
#include "ui/console/console_operator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace veridane;
  fuzz::Input input(data, size);
  const std::string file = input.TakeUntil('\0');
  if (file.size() > ConsoleOperator::kAnswersFileLimit) return -1;
  std::vector<AnswerRule> rules;
  try {
    rules = ConsoleOperator::ParseAnswers(file, "fuzz.answers");
  } catch (const AnswersFileError&) {
    return 0;
  }
  std::ostringstream out;
  ConsoleOperator technician(std::move(rules), out);
  for (int box = 0; box < 4; ++box) {
    const int16_t style = static_cast<int16_t>(input.Take<uint8_t>() % 6);
    const std::string caption = input.TakeUntil('\0');
    const BoxAnswer answer = technician.ShowMessBox("fuzz", style, caption);
    bool offered = false;
    for (const std::string& button : CaptionsForSet(DecodeStyle(style).buttons))
      offered = offered || (!button.empty() && AnswerFromCaption(button) == answer);
    if (!offered) fuzz::Broken("an answer the box does not offer");
  }
  return 0;
}
