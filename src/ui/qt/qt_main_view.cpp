#include "ui/qt/qt_main_view.h"

#include <QAction>
#include <QColor>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QtGlobal>
#include <algorithm>

#include "ui/qt/main_form.h"
#include "ui/qt/verdict_colours.h"
#include "ui/qt/widget_text.h"
#include "ui/qt/window_geometry.h"
#include "platform/text8.h"

namespace veridane {

namespace {

QString Name(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

constexpr std::string_view kShowTestStatus = "ShowTestStatus";

// The last row at the bottom of the view and its start at the left edge (Ctrl+End, Home).
void ScrollToLastLineStart(QPlainTextEdit* display) {
  display->ensureCursorVisible();
  QScrollBar* vertical = display->verticalScrollBar();
  vertical->setValue(vertical->maximum());
  QScrollBar* horizontal = display->horizontalScrollBar();
  horizontal->setValue(horizontal->minimum());
}

int LineEnds(std::string_view text) {
  int count = 0;
  for (size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) ++count;
  return count;
}

}  // namespace

std::string UncertaintyColumns(std::string_view expanded, std::string_view tur) {
  std::string u(expanded);
  if (u.size() < 12) u.append(12 - u.size(), ' ');
  return "   U " + u + "  TUR " + std::string(tur);
}

std::string UncertaintyHeader() {
  const std::string row = UncertaintyColumns("", "");
  std::string header = "   U (k = 2)";
  header.append(row.find("TUR") - header.size(), ' ');
  return header + "TUR";
}

std::string DisplayUtf8(std::string_view text8) {
  std::string lines;
  lines.reserve(text8.size());
  for (size_t i = 0; i < text8.size(); ++i) {
    if (text8[i] != '\r') {
      lines += text8[i];
    } else if (i + 1 < text8.size() && text8[i + 1] == '\n') {
      lines += '\n';
      ++i;
    }
  }
  return Utf8FromText8(lines);
}

QtMainView::QtMainView(MainForm& form) : form_(form) {
  if (QAction* item = form_.Item("ShowUncertainty"))
    QObject::connect(item, &QAction::toggled, &form_, [this](bool on) { SetUncertaintyShown(on); });
}

void QtMainView::SetCaption(std::string_view caption) { form_.SetCaption(caption); }

void QtMainView::SetDisplayText(std::string_view text) {
  // A new text (cleared, or a log read back) has none of the rows the columns belonged to.
  text8_ = text;
  lines_ = LineEnds(text8_) + 1;
  columns_.clear();
  headers_.clear();
  verdicts_.clear();
  form_.Display()->setPlainText(QString::fromStdString(DisplayUtf8(text)));
  ColourVerdicts(*form_.Display()->document(), 0);
}

void QtMainView::ShowResultUncertainty(std::string_view expanded, std::string_view tur) {
  const int line = lines_ - 1;
  columns_[line] = UncertaintyColumns(expanded, tur);
  if (uncertaintyShown_) AppendColumns(line);
}

void QtMainView::AppendColumns(int line) {
  QTextBlock block = form_.Display()->document()->findBlockByNumber(line);
  if (!block.isValid()) return;
  // The columns start where the table's heading has them, so that U and TUR stand under it.
  const qsizetype start = AppendHeaderAbove(line);
  QTextCursor end(block);
  end.movePosition(QTextCursor::EndOfBlock);
  end.setCharFormat(QTextCharFormat());
  end.insertText(QString(std::max<qsizetype>(0, start - block.text().length()), ' ') +
                 QString::fromStdString(Utf8FromText8(columns_[line])));
  WidenFor(line);
}

// A table's heading is the first line with text above its rows (they follow it after a blank
// line): the heading over U and TUR goes at its end, or past the first row's end when that is
// longer. Returns where the columns start; 0 when the rows have no heading.
qsizetype QtMainView::AppendHeaderAbove(int line) {
  const QTextBlock row = form_.Display()->document()->findBlockByNumber(line);
  QTextBlock above = row.previous();
  while (above.isValid() && (above.text().trimmed().isEmpty() || columns_.contains(above.blockNumber()) ||
                             verdicts_.contains(above.blockNumber())))
    above = above.previous();
  if (!above.isValid()) return 0;
  const int at = above.blockNumber();
  if (const auto known = headers_.find(at); known != headers_.end()) return known->second;
  const qsizetype start = std::max(row.text().length(), above.text().length());
  headers_[at] = start;
  QTextCursor end(above);
  end.movePosition(QTextCursor::EndOfBlock);
  end.setCharFormat(QTextCharFormat());
  end.insertText(QString(start - above.text().length(), ' ') + QString::fromStdString(UncertaintyHeader()));
  return start;
}

// The columns are no use cut off at the window's edge: the window grows to show them, as far
// as its screen allows.
void QtMainView::WidenFor(int line) {
  QPlainTextEdit* display = form_.Display();
  const QTextBlock block = display->document()->findBlockByNumber(line);
  const int needed = display->fontMetrics().horizontalAdvance(block.text()) +
                     2 * static_cast<int>(display->document()->documentMargin()) + 4;
  const int missing = needed - display->viewport()->width();
  if (missing <= 0 || !form_.isVisible()) return;
  form_.resize(form_.width() + missing, form_.height());
  FitWindowToScreen(form_);
}

void QtMainView::SetUncertaintyShown(bool shown) {
  if (shown == uncertaintyShown_) return;
  uncertaintyShown_ = shown;
  // The rows are coloured by the verdict at their end, so the columns go on after colouring.
  std::map<int, std::string> columns = std::move(columns_);
  std::map<int, Verdict> verdicts = std::move(verdicts_);
  SetDisplayText(std::string(text8_));
  headers_.clear();
  columns_ = std::move(columns);
  verdicts_ = std::move(verdicts);
  // The rows the program judged keep the colour of their result, not of their text.
  for (const auto& [line, verdict] : verdicts_)
    ColourRow(form_.Display()->document()->findBlockByNumber(line), verdict);
  if (shown)
    for (const auto& [line, text] : columns_) AppendColumns(line);
  ShowDisplayEnd();
}

void QtMainView::AppendDisplayText(std::string_view text) {
  // Inserting at the end keeps long transcripts cheap: the text box is not rebuilt per row.
  QTextDocument* document = form_.Display()->document();
  QTextCursor end(document);
  end.movePosition(QTextCursor::End);
  text8_ += text;
  lines_ += LineEnds(text);
  end.setCharFormat(QTextCharFormat());  // not the colour of the row before: no result, no colour
  end.insertText(QString::fromStdString(DisplayUtf8(text)));
}

void QtMainView::AppendResult(std::string_view text, const StepResult& result) {
  QTextDocument* document = form_.Display()->document();
  QTextCursor end(document);
  end.movePosition(QTextCursor::End);
  text8_ += text;
  lines_ += LineEnds(text);
  verdicts_[lines_ - 1] = result.verdict;
  end.setCharFormat(QTextCharFormat());
  end.insertText(QString::fromStdString(DisplayUtf8(text)));
  // The text is a line break and the result's row: the row is the last block.
  ColourRow(document->lastBlock(), result.verdict);
}

void QtMainView::ShowDisplayEnd() {
  QPlainTextEdit* display = form_.Display();
  display->setFocus(Qt::OtherFocusReason);
  QTextCursor caret = display->textCursor();
  caret.movePosition(QTextCursor::End);
  caret.movePosition(QTextCursor::StartOfBlock);
  display->setTextCursor(caret);
  ScrollToLastLineStart(display);
  // The text box lays rows out lazily: a row wider than the box brings the horizontal scroll
  // bar only after this returns, shrinking the view by a line. Scroll once more when it has.
  QTimer::singleShot(0, display, [display] { ScrollToLastLineStart(display); });
}

void QtMainView::SetStatusLines(const std::vector<std::string>& lines) {
  QListWidget* list = form_.StatusList();
  list->clear();
  for (const std::string& line : lines) list->addItem(WidgetText(line));
}

void QtMainView::SetCounter(int index, std::string_view text, bool alert) {
  if (index < 0 || index > 2) return;
  QLabel* counter = form_.Label2(index);
  counter->setText(WidgetText(text));
  QPalette palette = counter->palette();
  palette.setColor(counter->foregroundRole(),
                   alert ? QColor(255, 0, 0) : form_.palette().color(QPalette::ButtonText));
  counter->setPalette(palette);
}

QPushButton* QtMainView::Button(std::string_view name) const {
  return form_.findChild<QPushButton*>(Name(name));
}

void QtMainView::SetEnabled(std::string_view name, bool enabled) {
  if (QAction* item = form_.Item(name)) {
    item->setEnabled(enabled);
  } else if (QPushButton* button = Button(name)) {
    button->setEnabled(enabled);
  } else {
    qWarning("Main window has no menu, item or button named %s", qPrintable(Name(name)));
  }
}

void QtMainView::SetChecked(std::string_view name, bool checked) {
  if (name == kShowTestStatus) {
    if (form_.TestStatusShown() != checked) form_.ToggleTestStatus();
    return;
  }
  if (QAction* item = form_.Item(name)) {
    if (checked) item->setCheckable(true);
    item->setChecked(checked);
  } else {
    qWarning("Main window has no menu item named %s", qPrintable(Name(name)));
  }
}

void QtMainView::SetLogFileLabel(std::string_view name) { form_.Label(8)->setText(WidgetText(name)); }

}  // namespace veridane
