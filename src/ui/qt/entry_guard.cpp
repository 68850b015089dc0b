#include "ui/qt/entry_guard.h"

#include <QCoreApplication>

#include "platform/operator.h"

namespace veridane {

bool EntryGuard::Run(const std::function<void()>& action) {
  if (ended_) return false;
  try {
    action();
    return true;
  } catch (const ProgramEnded&) {
    Shutdown();
    return false;
  }
}

void EntryGuard::Shutdown() {
  ended_ = true;
  if (hook_) {
    // The hook may itself end up in EndProgram (a failing close reported through a box); that
    // must not escape either, and the hook is not run a second time.
    auto hook = std::move(hook_);
    hook_ = nullptr;
    try {
      hook();
    } catch (const ProgramEnded&) {
    }
  }
  // Leaves every running event loop, nested ones included. Before the main loop has started
  // this does nothing, so start-up code must check Ended() before calling exec().
  QCoreApplication::exit(exitCode_);
}

}  // namespace veridane
