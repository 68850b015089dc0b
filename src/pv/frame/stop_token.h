#pragma once
// The run's stop (Exit Test, a Cancel or No of the technician), as the frame hands it to a
// running procedure: raised by an answer, looked at between steps. The flag itself is the run
// state's; only the frame clears it.
namespace veridane {

class StopToken {
 public:
  explicit StopToken(bool& flag) : flag_(&flag) {}
  bool Raised() const { return *flag_; }
  void Raise() { *flag_ = true; }

 private:
  bool* flag_;
};

}  // namespace veridane
