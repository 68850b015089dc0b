#pragma once
// The open log file: every line the result display shows while a log is open is written there
// too, compacted, so the log stays a transcript of the display. A judged step reaches it as the
// first sink of the frame's chain, before the view shows it.
#include <string_view>

#include "pv/frame/step_sink.h"
#include "report/format.h"

namespace veridane {

class ResultLog : public StepSink {
 public:
  virtual bool LogOpen() const = 0;
  // One compacted row without line end; the log adds its own CR LF.
  virtual void WriteLogLine(std::string_view compactedLine) = 0;
  // A judged step's row, while a log is open.
  void Step(const AssessedStep& step) override {
    if (LogOpen()) WriteLogLine(CompactLine(step.result.text));
  }
};

}  // namespace veridane
