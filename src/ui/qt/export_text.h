#pragma once
// File > Export as Text: the open log (or one picked from the model's log folder) written as a
// readable UTF-8 text file, its sessions dated from the results database.
#include <string>

#include "platform/file_dialogs.h"
#include "platform/operator.h"
#include "results/store_target.h"

namespace veridane {

struct ExportTextSeams {
  Operator& op;
  FileDialogs& dialogs;
  StoreTarget store;
  std::string openLog;    // the .log being written; empty when no log is open
  std::string logFolder;  // where to look for one otherwise
};

void ExportLogAsText(const ExportTextSeams& seams);

}  // namespace veridane
