#pragma once
// Failures that stand out in the result display: a row whose step failed is shown red, a
// marginal pass amber, with the verdict word in bold. Only how the rows look changes; the text
// (and so the log, printing and headless output) stays exactly as written.
#include <QColor>
#include <optional>

#include "report/step_result.h"

class QTextBlock;
class QTextDocument;

namespace veridane {

QColor FailColour();
QColor MarginalColour();

// Gives one row the look of its verdict (none: the plain format back).
void ColourRow(const QTextBlock& block, std::optional<Verdict> verdict);
// Colours the rows from block number `firstBlock` to the end by the verdict their text ends
// with: for text that came without its results (a log file shown again).
void ColourVerdicts(QTextDocument& document, int firstBlock);

}  // namespace veridane
