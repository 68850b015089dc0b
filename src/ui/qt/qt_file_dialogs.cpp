#include "ui/qt/qt_file_dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>
#include <QUrl>

#include "platform/text8.h"

namespace veridane {

namespace {

QString Q8(std::string_view text8) { return QString::fromStdString(Utf8FromText8(text8)); }
QString QPath(const std::string& path) { return QString::fromStdString(path); }

QString StartPath(const FileDialogRequest& request) {
  if (request.initialName.empty()) return QPath(request.initialFolder);
  return QPath(PathInFolder(request.initialFolder, request.initialName));
}

std::optional<std::string> Answer(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace

std::string QtFilterText(std::string_view filter) {
  QStringList entries;
  for (const FileFilter& entry : ParseFileFilter(filter)) {
    std::string description = entry.description;
    // The classic descriptions already show their patterns; Qt appends its own list.
    size_t open = description.rfind('(');
    if (open != std::string::npos && description.back() == ')') description = Trim(description.substr(0, open));
    std::string patterns;
    for (const std::string& pattern : entry.patterns) {
      if (!patterns.empty()) patterns += ' ';
      patterns += pattern == "*.*" ? "*" : pattern;
    }
    entries << Q8(description + " (" + patterns + ")");
  }
  return entries.join(";;").toStdString();
}

std::string QtDefaultSuffix(std::string_view filter) {
  const std::vector<FileFilter> filters = ParseFileFilter(filter);
  if (filters.empty() || filters.front().patterns.empty()) return {};
  const std::string& pattern = filters.front().patterns.front();
  if (pattern.rfind("*.", 0) != 0) return {};
  const std::string suffix = pattern.substr(2);
  if (suffix.empty() || suffix.find_first_of("*?") != std::string::npos) return {};
  return suffix;
}

std::optional<std::string> QtFileDialogs::OpenFile(const FileDialogRequest& request) {
  return Answer(QFileDialog::getOpenFileName(parent_, Q8(request.title), StartPath(request),
                                             QString::fromStdString(QtFilterText(request.filter))));
}

QString QtFilterSuffix(const QString& filterEntry) {
  const qsizetype open = filterEntry.lastIndexOf('(');
  const QString patterns = open >= 0 ? filterEntry.mid(open + 1).chopped(filterEntry.endsWith(')') ? 1 : 0) : filterEntry;
  const QString first = patterns.section(' ', 0, 0, QString::SectionSkipEmpty);
  if (!first.startsWith("*.")) return {};
  const QString suffix = first.mid(2);
  if (suffix.isEmpty() || suffix.contains('*') || suffix.contains('?')) return {};
  return suffix;
}

QString AskSaveFileName(QWidget* parent, const QString& title, const QString& startPath, const QString& qtFilter) {
  // A file saved as "bench" instead of "bench.gmg" would not show in the next open dialog,
  // and a plot saved as "plot" with the PNG filter chosen is no picture to anyone.
  const QFileInfo start(startPath);
  QFileDialog dialog(parent, title, start.isDir() ? startPath : start.path(), qtFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QtFilterSuffix(dialog.selectedNameFilter()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    const QString suffix = QtFilterSuffix(filter);
    dialog.setDefaultSuffix(suffix);
    // The proposed name follows the filter too, so what is shown is what will be written.
    const QStringList chosen = dialog.selectedFiles();
    if (suffix.isEmpty() || chosen.isEmpty()) return;
    const QFileInfo name(chosen.front());
    if (!name.fileName().isEmpty() && !name.isDir()) dialog.selectFile(name.completeBaseName() + "." + suffix);
  });
  if (!start.isDir() && !start.fileName().isEmpty()) dialog.selectFile(start.fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

std::optional<std::string> QtFileDialogs::SaveFile(const FileDialogRequest& request) {
  return Answer(AskSaveFileName(parent_, Q8(request.title),
                                request.initialName.empty() ? QPath(request.initialFolder) : StartPath(request),
                                QString::fromStdString(QtFilterText(request.filter))));
}

std::optional<std::string> QtFileDialogs::ChooseFolder(const FileDialogRequest& request) {
  return Answer(QFileDialog::getExistingDirectory(parent_, Q8(request.title), QPath(request.initialFolder)));
}

bool QtFileDialogs::OpenWithDesktop(const std::string& fileOrUrl) {
  QUrl url = QUrl::fromUserInput(QString::fromStdString(fileOrUrl), QDir::currentPath(), QUrl::AssumeLocalFile);
  return url.isValid() && QDesktopServices::openUrl(url);
}

std::optional<PrintChoice> QtPrintDialog::ChoosePrinter(Printer& printer) {
  QPrinter qprinter(QPrinter::HighResolution);
  std::string current = printer.DeviceName();
  if (!current.empty()) qprinter.setPrinterName(Q8(current));
  qprinter.setCopyCount(1);
  QPrintDialog dialog(&qprinter, parent_);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  PrintChoice choice;
  if (qprinter.outputFormat() == QPrinter::PdfFormat && !qprinter.outputFileName().isEmpty())
    choice.target.pdfFile = qprinter.outputFileName().toStdString();
  else
    choice.target.printerName = Text8FromUtf8(qprinter.printerName().toStdString());
  choice.copies = qprinter.copyCount() > 0 ? qprinter.copyCount() : 1;
  return choice;
}

}  // namespace veridane
