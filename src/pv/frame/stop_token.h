#pragma once
// The run's stop (Exit Test, a Cancel or No of the technician), as the frame hands it to a
// running procedure: raised by an answer, looked at between steps. The flag itself is the run
// state's; only the frame clears it.
#include <string>
#include <string_view>

namespace veridane {

class StopToken {
 public:
  // `answeredNo`, when given, is where the frame learns which signal-setting question stopped
  // the test (see RaiseAnsweredNo).
  explicit StopToken(bool& flag, std::string* answeredNo = nullptr) : flag_(&flag), answeredNo_(answeredNo) {}
  bool Raised() const { return *flag_; }
  void Raise() { *flag_ = true; }
  // The technician answered No to a question whether to go on setting a signal the scope does
  // not show as it should (its caption): the run stops as on any No, and the frame records the
  // test as failed on that finding. The first such question of a test is the one kept.
  void RaiseAnsweredNo(std::string_view caption) {
    if (answeredNo_ != nullptr && answeredNo_->empty()) *answeredNo_ = std::string(caption);
    Raise();
  }

 private:
  bool* flag_;
  std::string* answeredNo_;
};

}  // namespace veridane
