#pragma once
// Failures that stand out in the result display: a row whose verdict column says FAIL is shown
// red, a marginal ">PASS" amber, with the verdict word in bold. Only how the rows look changes;
// the text (and so the log, printing and headless output) stays exactly as written.
#include <QColor>

class QTextDocument;

namespace veridane {

QColor FailColour();
QColor MarginalColour();

// Colours the rows from block number `firstBlock` to the end by their verdicts; rows without
// one get the plain format back.
void ColourVerdicts(QTextDocument& document, int firstBlock);

}  // namespace veridane
