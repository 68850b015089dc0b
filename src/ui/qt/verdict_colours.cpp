#include "ui/qt/verdict_colours.h"

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <string>

namespace veridane {

QColor FailColour() { return QColor(200, 0, 0); }
QColor MarginalColour() { return QColor(176, 104, 0); }

void ColourRow(const QTextBlock& block, std::optional<Verdict> verdict) {
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  QTextCharFormat format;
  const bool marked = verdict && *verdict != Verdict::Pass;
  if (marked) format.setForeground(*verdict == Verdict::Marginal ? MarginalColour() : FailColour());
  cursor.setCharFormat(format);
  if (!marked) return;
  // Every result row ends in its verdict word; trailing blanks are not part of it.
  const QString text = block.text();
  int end = static_cast<int>(text.size());
  while (end > 0 && text[end - 1] == QLatin1Char(' ')) --end;
  const int wordLength = static_cast<int>(kVerdictWordLength);
  if (end < wordLength) return;
  QTextCursor word(block);
  word.setPosition(block.position() + end - wordLength);
  word.setPosition(block.position() + end, QTextCursor::KeepAnchor);
  QTextCharFormat bold = format;
  bold.setFontWeight(QFont::Bold);
  word.setCharFormat(bold);
}

void ColourVerdicts(QTextDocument& document, int firstBlock) {
  for (QTextBlock block = document.findBlockByNumber(std::max(firstBlock, 0)); block.isValid(); block = block.next())
    // The verdict words are plain ASCII, so the UTF-8 row reads like the program's own text.
    ColourRow(block, VerdictOfRowText(block.text().toStdString()));
}

}  // namespace veridane
