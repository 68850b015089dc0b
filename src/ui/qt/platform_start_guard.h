#pragma once
// While the QApplication is made: a window system that cannot be reached after all (a DISPLAY
// left over from an ssh session, a forced platform without its server) ends the program with
// the program's own "no display" line and exit code 4, instead of Qt's abort, its core file
// and its advice to reinstall.
#include <QtGlobal>

namespace veridane {

class PlatformStartGuard {
 public:
  PlatformStartGuard();
  ~PlatformStartGuard();
  PlatformStartGuard(const PlatformStartGuard&) = delete;
  PlatformStartGuard& operator=(const PlatformStartGuard&) = delete;

 private:
  QtMessageHandler previous_;
};

}  // namespace veridane
