#include "ui/qt/qt_parlex_dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QStringList>
#include <QUrl>

#include "ui/qt/widget_text.h"

namespace veridane {

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    if (patterns == "*.*") patterns = "*";
    QString description = parts[i];
    const int open = description.indexOf('(');
    if (open >= 0) description = description.left(open).trimmed();
    filters << description + " (" + patterns + ")";
  }
  return filters.join(";;");
}

namespace {

QString StartPath(const parlex::FileDialogRequest& request) {
  // File names are the file system's own bytes (UTF-8 here), not the program's 8-bit text.
  QString folder = QString::fromStdString(request.folder);
  if (request.name.empty()) return folder;
  return QDir(folder).filePath(QString::fromStdString(request.name));
}

}  // namespace

std::string QtParlexFileDialogs::OpenFile(const parlex::FileDialogRequest& request) {
  return QFileDialog::getOpenFileName(parent_.data(), WidgetText(request.title), StartPath(request),
                                      QtFileFilter(request.filter))
      .toStdString();
}

std::string QtParlexFileDialogs::SaveFile(const parlex::FileDialogRequest& request) {
  return QFileDialog::getSaveFileName(parent_.data(), WidgetText(request.title), StartPath(request),
                                      QtFileFilter(request.filter))
      .toStdString();
}

bool QtParlexFileDialogs::OpenWithDesktop(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace veridane
