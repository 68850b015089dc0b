#pragma once
// The scope's internal error log as its service commands show it: "ERRLOG?" gives the first
// few entries as quoted strings, "ERRLOG:NEXT?" one more each time, and an empty quoted
// string marks the end. Clearing needs the service password first.
#include <string>
#include <vector>

namespace veridane::sim {

class ScopeErrorLog {
 public:
  explicit ScopeErrorLog(std::vector<std::string> entries) : entries_(std::move(entries)) {}

  // Unlocks with the right password; a wrong one locks again. Returns whether it unlocked.
  bool Password(const std::string& word);
  void Lock() { unlocked_ = false; }
  bool Unlocked() const { return unlocked_; }

  std::string First();  // the reply to ERRLOG? (restarts the reading)
  std::string Next();   // the reply to ERRLOG:NEXT?
  // Returns false (and keeps the log) when the log is locked.
  bool Clear();

  size_t Size() const { return entries_.size(); }

 private:
  std::string Quoted(size_t index) const;

  std::vector<std::string> entries_;
  size_t next_ = 0;
  bool unlocked_ = false;
};

}  // namespace veridane::sim
