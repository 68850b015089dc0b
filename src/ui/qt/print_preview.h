#pragma once
// The File menu's Print Preview: the display laid out exactly as Print lays it out (the same
// pages, lines and page numbers), to look at before paper is used. The preview's own Print
// button prints those pages on the printer chosen there.
#include <string_view>

#include "log/print_report.h"
#include "platform/operator.h"

class QAction;
class QWidget;

namespace veridane {

// False when the pages could not be drawn (reported to the technician).
bool ShowPrintPreview(Operator& op, std::string_view text, QWidget* parent = nullptr,
                      const PrintOptions& options = {});

// The preview item is offered exactly when Print is: it follows the other action's enabled
// state from now on.
void FollowEnabled(QAction& follower, QAction& leader);

}  // namespace veridane
