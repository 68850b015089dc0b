#include "shell/parlex_folder.h"

namespace veridane {

bool MoveOldParlexFolder(const Paths& paths, Settings& settings, std::string& error) {
  const std::string old = paths.OldParlexFolder();
  if (!FolderExists(old)) return true;
  const std::string real = Paths(paths.Root(), false).ParlexFolder();
  const std::string simulated = Paths(paths.Root(), true).ParlexFolder();
  // The simulated bench's lists first: they must not end up among the real bench's.
  bool moved = MoveFolderContents(old + "/Simulated", simulated, error);
  moved = MoveFolderContents(old, real, error) && moved;

  // The folder Parlex last worked in goes with its files.
  std::string selected = settings.Get("Parlex", "Settings", "SelectedDataFolder", "");
  for (const auto& [from, to] : {std::pair{old + "/Simulated", simulated}, std::pair{old, real}}) {
    if (selected == from || selected.rfind(from + "/", 0) == 0) {
      settings.Save("Parlex", "Settings", "SelectedDataFolder", to + selected.substr(from.size()));
      break;
    }
  }
  return moved;
}

}  // namespace veridane
