#include "ui/qt/print_preview.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <string>

#include "log/print_report.h"
#include "platform_qt/qt_printer.h"

namespace veridane {

bool ShowPrintPreview(Operator& op, std::string_view text, QWidget* parent, const PrintOptions& options) {
  QPrinter pages(QPrinter::HighResolution);
  pages.setFullPage(true);
  QPrintPreviewDialog dialog(&pages, parent);
  dialog.setObjectName("PrintPreview");
  dialog.setWindowTitle("Print Preview");
  const std::string report(text);
  std::string failure;
  // Drawn again for every zoom, page set-up and for printing from the preview.
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* device) {
    QtPrinter printer(*device);
    if (!PrintDocument(printer, report, options) && failure.empty())
      failure = printer.Error().empty() ? std::string("printer error") : printer.Error();
  });
  dialog.exec();
  if (failure.empty()) return true;
  op.ShowMessBox("The report could not be printed:\n" + failure, kOkOnly + kExclamation, "Print Error");
  return false;
}

void FollowEnabled(QAction& follower, QAction& leader) {
  follower.setEnabled(leader.isEnabled());
  QObject::connect(&leader, &QAction::changed, &follower, [&follower, &leader] { follower.setEnabled(leader.isEnabled()); });
}

}  // namespace veridane
