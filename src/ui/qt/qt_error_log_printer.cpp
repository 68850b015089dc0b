#include "ui/qt/qt_error_log_printer.h"

#include <QFontMetricsF>
#include <QPageLayout>

#include "ui/qt/widget_text.h"

namespace veridane {

namespace {
constexpr double kMmPerInch = 25.4;
}

QtErrorLogPrinter::QtErrorLogPrinter(QPrinter& printer) : printer_(printer) { printer_.setFullPage(true); }

QtErrorLogPrinter::~QtErrorLogPrinter() {
  if (painter_.isActive()) painter_.end();
}

bool QtErrorLogPrinter::Begin() {
  if (painter_.isActive()) return true;
  if (failed_ || !painter_.begin(&printer_)) {
    failed_ = true;
    return false;
  }
  painter_.setFont(font_);
  return true;
}

double QtErrorLogPrinter::Pixels(double mm) const { return mm / kMmPerInch * printer_.resolution(); }

void QtErrorLogPrinter::SetFont(std::string_view name, double size) {
  font_ = QFont(WidgetText(name));
  font_.setPointSizeF(size);
  if (painter_.isActive()) painter_.setFont(font_);
}

void QtErrorLogPrinter::PrintAt(double leftMm, double topMm, std::string_view text) {
  if (!Begin()) return;
  const QFontMetricsF metrics(painter_.font(), &printer_);
  painter_.drawText(QPointF(Pixels(leftMm), Pixels(topMm) + metrics.ascent()), WidgetText(text));
}

void QtErrorLogPrinter::NewPage() {
  if (!Begin()) return;
  if (!printer_.newPage()) failed_ = true;
}

void QtErrorLogPrinter::EndDoc() {
  if (painter_.isActive()) painter_.end();
}

double QtErrorLogPrinter::PageHeightMm() const {
  return printer_.pageLayout().fullRect(QPageLayout::Millimeter).height();
}

}  // namespace veridane
