#pragma once
// How far the running test has come: its result rows counted against the rows it will print,
// the time since it began, and a rough time left. The waits of each test are known, so the
// estimate starts from its plan and follows the measured pace once rows arrive.
#include <string>
#include <string_view>

namespace veridane {

struct ProgressPlan {
  int steps = 0;                // result rows the test prints when it runs to the end
  double secondsPerStep = 0;    // its fixed waits and bus traffic per row
};

// Minutes and seconds ("0:07", "12:30"), hours when needed ("1:02:03"); never negative.
std::string ClockText(double seconds);

class ProgressTracker {
 public:
  void Begin(std::string_view testName, const ProgressPlan& plan, double now);
  // A result row (one with a verdict) has been shown.
  void Step() { ++done_; }
  void End(double now) {
    running_ = false;
    end_ = now;
  }

  bool Running() const { return running_; }
  int Done() const { return done_; }
  // The planned count, or more when the test printed more rows than planned.
  int Total() const;
  double SecondsLeft(double now) const;

  // "Offset at Zero: step 4 of 10, 0:13 elapsed, about 0:27 left" while running; after the
  // end "Offset at Zero: 10 of 10 steps in 0:45". Empty before any test.
  std::string Text(double now) const;

 private:
  std::string name_;
  ProgressPlan plan_;
  double start_ = 0;
  double end_ = 0;
  int done_ = 0;
  bool running_ = false;
  bool begun_ = false;
};

}  // namespace veridane
