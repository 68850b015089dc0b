#pragma once
// Where the program keeps its files. The root is $APPDATA when set (as on the Windows bench
// PCs), else the XDG data folder ($XDG_DATA_HOME, or ~/.local/share). Everything written for a
// simulated bench goes under "Simulated" inside the program's folder, so simulated results
// can never be taken for a real scope's.
#include <string>

namespace veridane {

class Paths {
 public:
  // An empty root means: take it from the environment.
  explicit Paths(std::string root = {}, bool simulated = false);

  const std::string& Root() const { return root_; }
  bool Simulated() const { return simulated_; }
  void SetSimulated(bool simulated) { simulated_ = simulated; }

  // Root + "/Veridane" (+ "/Simulated").
  std::string DataFolder() const;
  // Root + "/Parlex" and Root + "/Faultbook" (+ "/Simulated").
  std::string ParlexFolder() const;
  std::string FaultbookFolder() const;

  static std::string RootFromEnvironment();

 private:
  std::string Under(const char* name) const;
  std::string root_;
  bool simulated_;
};

// Creates the last level of the folder when it does not exist; true when it is a folder now.
bool MakeFolder(const std::string& folder);
bool FolderExists(const std::string& folder);

}  // namespace veridane
