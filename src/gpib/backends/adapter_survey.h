#pragma once
// What `--list-adapters` finds on this PC: the GPIB library that would load and the boards it
// can reach, and the serial ports whose adapter answers "++ver", each with the connection
// string that opens it. Network adapters cannot be found this way; they are named by address.
//
// Ports probed: /dev/ttyUSB*, /dev/ttyACM* and the entries of an announcement folder, where a
// program that serves an adapter on a pseudo-terminal (the Prologix emulator) leaves a link
// to it while it runs. Other pseudo-terminals are never written to: they are people's shells.
#include <string>
#include <vector>

#include "gpib/backends/board_library.h"

namespace veridane {

struct AdapterListing {
  std::string connection;   // "gpib:0", "prologix:/dev/ttyUSB0"
  std::string description;  // what answered, or why it cannot be used
  bool usable = false;
};

struct SurveyOptions {
  std::string libraryPath;  // the setting GpibLibrary; empty: the installed one
  BoardLibraryOptions library;
  std::string deviceFolder = "/dev";
  std::string announceFolder;  // empty: AnnounceFolder()
  double probeSeconds = 1.0;   // per port, for the "++ver" answer
};

// Where adapters on pseudo-terminals announce themselves: $XDG_RUNTIME_DIR/veridane-adapters,
// else /tmp/veridane-adapters-<uid>.
std::string AnnounceFolder();

std::vector<AdapterListing> SurveyAdapters(const SurveyOptions& options);

// The listing as printed, one adapter a line, with a closing line when nothing was found.
std::string AdapterListText(const std::vector<AdapterListing>& listings);

}  // namespace veridane
