#include "shell/run_facts.h"

#include "log/log_format.h"
#include "platform/text8.h"
#include "results/results_recorder.h"

namespace veridane {

RunFacts CurrentRunFacts(const Program& program, const std::string& benchText, const std::string& serialUtf8,
                         const std::string& operatorUtf8) {
  RunFacts facts;
  facts.scopeModel = program.scope.ScopeModel;
  facts.firmware = Trim(program.scope.ScopeFirmware);
  // Upper case, as the log header has it, so that a serial typed either way finds one scope.
  facts.serial = UpperCase1252(Trim(program.log.SerialText()));
  if (facts.serial.empty()) facts.serial = UpperCase1252(Trim(Text8FromUtf8(serialUtf8)));
  facts.operatorName = Trim(program.log.OperatorText());
  if (facts.operatorName.empty()) facts.operatorName = Trim(Text8FromUtf8(operatorUtf8));
  facts.comments = program.log.CommentsText();
  facts.bench = Text8FromUtf8(benchText);
  facts.simulated = program.simulated;
  facts.programVersion = ProgramVersionText();
  facts.context = program.record;
  return facts;
}

}  // namespace veridane
