#pragma once
// Parlex keeps its message lists in the program's own data folder ("…/Veridane/Parlex", the
// simulated bench's in "…/Veridane/Simulated/Parlex"). A "Parlex" folder beside it, where
// earlier versions kept them, is moved there once, with the folder Parlex last worked in.
#include <string>

#include "platform/paths.h"
#include "platform/settings.h"

namespace veridane {

// Nothing to do without the old folder. False with error when something could not be moved
// (it stays where it was, and the next start tries again).
bool MoveOldParlexFolder(const Paths& paths, Settings& settings, std::string& error);

}  // namespace veridane
