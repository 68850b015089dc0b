#pragma once
// The verification tests, one row each: from this table the frame names the tests, the
// status list shows them, the P/V menu runs them, the headless run finds them by name and the
// Full Sequence runs them in order. A new test is one row here, the one-line adapter in
// catalogue.cpp that hands it its parts, and its procedure file.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "pv/procedures/pv_context.h"
#include "pv/procedures/self_cal.h"

namespace veridane {

struct CatalogueEntry {
  int16_t number;                // CurrentTest, TestStatus index, Full Sequence order; 0 Self Cal
  std::string_view title;        // TestNames: captions, status list, end messages
  std::string_view menuItem;     // object name of its P/V menu item
  std::string_view menuCaption;  // caption of that item ("&" marks the access key)
  std::string_view runName;      // name for --run
  void (*entry)(PvContext&);     // hands the procedure its parts; nullptr while the test is not built
};

std::span<const CatalogueEntry> TestCatalogue();

// The row with this --run name (any case), or nullptr.
const CatalogueEntry* FindTestByRunName(std::string_view name);

// Gives the frame the names of the tests (NameTests hands them to the run state).
void GiveTitles(FrameHooks& hooks);

// Puts the procedures into the frame's test hooks, by test number, so that the menu and the
// Full Sequence run them. pv must live as long as the frame may run a test.
void RegisterPvTests(PvContext& pv);

// The run names of every row, separated by ", ", for messages.
std::string RunNames();

}  // namespace veridane
