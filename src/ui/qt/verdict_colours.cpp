#include "ui/qt/verdict_colours.h"

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <string>

#include "report/row_verdict.h"

namespace veridane {

QColor FailColour() { return QColor(200, 0, 0); }
QColor MarginalColour() { return QColor(176, 104, 0); }

void ColourVerdicts(QTextDocument& document, int firstBlock) {
  for (QTextBlock block = document.findBlockByNumber(std::max(firstBlock, 0)); block.isValid(); block = block.next()) {
    // The verdict words are plain ASCII, so the UTF-8 row finds them at the same place as the
    // program's own text would.
    const QString text = block.text();
    const std::string row = text.toStdString();
    const RowVerdict verdict = VerdictOfRow(row);
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    if (verdict == RowVerdict::Fail || verdict == RowVerdict::MarginalPass)
      format.setForeground(verdict == RowVerdict::Fail ? FailColour() : MarginalColour());
    cursor.setCharFormat(format);
    if (format.hasProperty(QTextFormat::ForegroundBrush)) {
      // The column counts bytes; the widget counts UTF-16 units. Both agree from the row's end.
      const int fromEnd = static_cast<int>(row.size() - VerdictColumn(row));
      QTextCursor word(block);
      word.setPosition(block.position() + text.size() - fromEnd);
      word.setPosition(block.position() + text.size() - fromEnd + 4, QTextCursor::KeepAnchor);
      QTextCharFormat bold = format;
      bold.setFontWeight(QFont::Bold);
      word.setCharFormat(bold);
    }
  }
}

}  // namespace veridane
