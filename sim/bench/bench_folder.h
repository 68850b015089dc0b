#pragma once
// The temporary folder a simulated bench writes its instrument data to when it is given none:
// "veridane-bench-XXXXXX" in the temporary directory.
//
// It goes on every way out: with the bench (BenchFolder's destructor), and when the process
// ends on SIGTERM or SIGINT, where a handler removes every such folder of the process before
// the signal ends it as it would have (the handler is in place only while a folder exists,
// and only where nothing else handles those signals). A folder of this user left behind by a
// process that could not clean up (SIGKILL, a power cut) is swept when the next one is made:
// once it is older than a day and no live process holds it (each owner keeps a shared lock on
// its folder).
#include <string>

namespace veridane::sim {

class BenchFolder {
 public:
  // Makes the folder; throws std::runtime_error when it cannot.
  BenchFolder();
  ~BenchFolder();
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int lockFd_ = -1;
  int slot_ = -1;
};

// Removes this user's stale bench folders in `folder` (see above); how many went.
int SweepStaleBenchFolders(const std::string& folder, double olderThanSeconds = 24 * 3600);

}  // namespace veridane::sim
