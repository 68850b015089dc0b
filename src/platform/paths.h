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
  // Parlex keeps its lists in the program's own folder: DataFolder() + "/Parlex".
  std::string ParlexFolder() const;
  // Root + "/Faultbook" (+ "/Simulated").
  std::string FaultbookFolder() const;
  // Where Parlex kept its lists before: Root + "/Parlex" (its simulated ones in "Simulated").
  std::string OldParlexFolder() const { return root_ + "/Parlex"; }

  static std::string RootFromEnvironment();

 private:
  std::string Under(const char* name) const;
  std::string root_;
  bool simulated_;
};

// Creates the last level of the folder when it does not exist; true when it is a folder now.
bool MakeFolder(const std::string& folder);
bool FolderExists(const std::string& folder);

// Moves everything in `from` into `to` (made when missing) and removes `from`, so that nothing
// is left behind. A name `to` already holds is kept there; the moved one gets " (moved)",
// " (moved 2)", ... before its extension, so neither is lost. False with error when something
// could not be moved (what could not stays in `from`).
bool MoveFolderContents(const std::string& from, const std::string& to, std::string& error);

}  // namespace veridane
