#include "sim/bench/bench_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <system_error>

namespace veridane::sim {

namespace {

namespace fs = std::filesystem;

constexpr const char* kPrefix = "veridane-bench-";
constexpr size_t kNameLength = 15 + 6;  // the prefix and mkdtemp's six characters

// The folders of this process, in storage a signal handler may read.
struct Slot {
  std::atomic<bool> used{false};
  char path[PATH_MAX] = {};
};
std::array<Slot, 16> slots;
std::mutex registry;
int live = 0;
struct sigaction previousTerm {}, previousInt {};
bool handling = false;

// Only calls a signal handler may make: the folder's files and then the folder.
void RemoveNow(const char* path) {
  const int dir = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    alignas(8) char buffer[4096];
    for (;;) {
      const long n = ::syscall(SYS_getdents64, dir, buffer, sizeof buffer);
      if (n <= 0) break;
      for (long at = 0; at < n;) {
        struct Entry {
          uint64_t ino;
          int64_t off;
          unsigned short reclen;
          unsigned char type;
          char name[1];
        };
        const auto* entry = reinterpret_cast<const Entry*>(buffer + at);
        const char* name = buffer + at + offsetof(Entry, name);
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) ::unlinkat(dir, name, 0);
        at += entry->reclen;
      }
    }
    ::close(dir);
  }
  ::rmdir(path);
}

void OnStop(int signal) {
  for (Slot& slot : slots) {
    if (slot.used.load()) RemoveNow(slot.path);
  }
  // Ended by the signal as the process would have been without this handler.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);
}

bool Unhandled(int signal, struct sigaction& previous) {
  ::sigaction(signal, nullptr, &previous);
  return previous.sa_handler == SIG_DFL && (previous.sa_flags & SA_SIGINFO) == 0;
}

// With the registry held.
void HandleSignals() {
  if (handling) return;
  struct sigaction term {}, intr {};
  if (!Unhandled(SIGTERM, term) || !Unhandled(SIGINT, intr)) return;
  struct sigaction onStop {};
  onStop.sa_handler = OnStop;
  ::sigemptyset(&onStop.sa_mask);
  ::sigaction(SIGTERM, &onStop, &previousTerm);
  ::sigaction(SIGINT, &onStop, &previousInt);
  handling = true;
}

// With the registry held: the code holding this one may be unloaded (a library made of the
// simulator), so the handler goes with the last folder, and only if it is still ours.
void StopHandlingSignals() {
  if (!handling) return;
  struct sigaction current {};
  ::sigaction(SIGTERM, nullptr, &current);
  if (current.sa_handler == OnStop) ::sigaction(SIGTERM, &previousTerm, nullptr);
  ::sigaction(SIGINT, nullptr, &current);
  if (current.sa_handler == OnStop) ::sigaction(SIGINT, &previousInt, nullptr);
  handling = false;
}

bool IsBenchFolderName(const std::string& name) {
  return name.size() == kNameLength && name.starts_with(kPrefix);
}

}  // namespace

int SweepStaleBenchFolders(const std::string& folder, double olderThanSeconds) {
  int swept = 0;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsBenchFolderName(name)) continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) continue;
    if (std::difftime(std::time(nullptr), info.st_mtime) < olderThanSeconds) continue;
    const int fd = ::open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    // A live owner holds its shared lock; only a folder nobody holds may go.
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    if (!free) continue;
    std::error_code ignored;
    if (fs::remove_all(entry.path(), ignored) > 0) ++swept;
  }
  return swept;
}

BenchFolder::BenchFolder() {
  std::error_code error;
  const fs::path temporary = fs::temp_directory_path(error);
  if (error) throw std::runtime_error("no temporary directory");
  {
    static std::once_flag swept;
    std::call_once(swept, [&] { SweepStaleBenchFolders(temporary.string()); });
  }
  std::string pattern = (temporary / (std::string(kPrefix) + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  lockFd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lockFd_ >= 0) ::flock(lockFd_, LOCK_SH | LOCK_NB);

  std::lock_guard<std::mutex> hold(registry);
  if (path_.size() >= PATH_MAX) return;
  for (size_t i = 0; i < slots.size(); ++i) {
    if (slots[i].used.load()) continue;
    std::memcpy(slots[i].path, path_.c_str(), path_.size() + 1);
    slots[i].used = true;
    slot_ = static_cast<int>(i);
    ++live;
    HandleSignals();
    break;
  }
}

BenchFolder::~BenchFolder() {
  {
    std::lock_guard<std::mutex> hold(registry);
    if (slot_ >= 0) {
      slots[static_cast<size_t>(slot_)].used = false;
      if (--live == 0) StopHandlingSignals();
    }
  }
  std::error_code ignored;
  fs::remove_all(path_, ignored);
  if (lockFd_ >= 0) ::close(lockFd_);
}

}  // namespace veridane::sim
