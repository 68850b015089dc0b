#pragma once
// EndProgram throws ProgramEnded so that the stack unwinds and open files get closed. In the
// window program that exception must never travel through Qt's event dispatch (Qt cannot unwind
// through it), so every Qt entry point - start-up, menu slots, button slots - runs its work
// through EntryGuard::Run, which catches it, runs the shutdown hook and quits the application.
#include <functional>

namespace veridane {

class EntryGuard {
 public:
  // The exit code the program ends with after EndProgram: it is a fatal end, not a success.
  explicit EntryGuard(int exitCode = 1) : exitCode_(exitCode) {}

  // Closes what must be closed (open log files) when the program ends at once. Runs once.
  void SetShutdownHook(std::function<void()> hook) { hook_ = std::move(hook); }

  // Runs action. Returns false when the program ended during it (or had ended before, in which
  // case action does not run): the hook has run and the application has been told to quit.
  bool Run(const std::function<void()>& action);

  bool Ended() const { return ended_; }
  int ExitCode() const { return exitCode_; }

 private:
  void Shutdown();

  std::function<void()> hook_;
  int exitCode_;
  bool ended_ = false;
};

}  // namespace veridane
