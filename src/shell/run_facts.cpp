#include "shell/run_facts.h"

#include "log/log_format.h"
#include "platform/text8.h"
#include "results/results_recorder.h"

namespace veridane {

RunFacts CurrentRunFacts(const Program& program, const std::string& benchText, const std::string& serialUtf8,
                         const std::string& operatorUtf8) {
  RunFacts facts;
  facts.scopeModel = program.Scope().ScopeModel;
  facts.firmware = Trim(program.Scope().ScopeFirmware);
  // Upper case, as the log header has it, so that a serial typed either way finds one scope.
  facts.serial = UpperCase1252(Trim(program.Log().SerialText()));
  if (facts.serial.empty()) facts.serial = UpperCase1252(Trim(Text8FromUtf8(serialUtf8)));
  facts.operatorName = Trim(program.Log().OperatorText());
  if (facts.operatorName.empty()) facts.operatorName = Trim(Text8FromUtf8(operatorUtf8));
  facts.comments = program.Log().CommentsText();
  facts.bench = Text8FromUtf8(benchText);
  facts.simulated = program.Simulated();
  facts.programVersion = ProgramVersionText();
  facts.context = program.Record();
  return facts;
}

}  // namespace veridane
