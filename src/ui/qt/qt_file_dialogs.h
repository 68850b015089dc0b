#pragma once
// The platform's file, folder and print dialogs as Qt windows, and the desktop's "open with".
#include <QString>
#include <optional>
#include <string>

#include "platform/file_dialogs.h"
#include "platform/printer.h"

class QWidget;

namespace veridane {

// "Log Files (*.log)|*.log|All Files (*.*)|*.*" in Qt's form: "Log Files (*.log);;All Files (*)".
std::string QtFilterText(std::string_view filter);
// The extension a saved file gets when the technician types a name without one, as the
// classic save dialogs add it: the first filter's first pattern ("gmg" of "*.gmg"); empty
// when that pattern takes every file.
std::string QtDefaultSuffix(std::string_view filter);

// The extension of one Qt filter entry: "png" of "PNG image (*.png)"; empty when its first
// pattern takes every file.
QString QtFilterSuffix(const QString& filterEntry);

// The save dialog: starts at startPath (folder and proposed name), and a name typed without an
// extension gets the one of the filter chosen in the dialog, not always the first filter's.
// Asks before replacing a file. Empty when cancelled.
QString AskSaveFileName(QWidget* parent, const QString& title, const QString& startPath, const QString& qtFilter);

class QtFileDialogs : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(const FileDialogRequest& request) override;
  bool OpenWithDesktop(const std::string& fileOrUrl) override;

 private:
  QWidget* parent_;
};

// The print dialog: printer (or PDF file) and copies. The chosen printer is used for this
// print only; the system's default printer is never changed.
class QtPrintDialog : public PrintDialog {
 public:
  explicit QtPrintDialog(QWidget* parent = nullptr) : parent_(parent) {}
  std::optional<PrintChoice> ChoosePrinter(Printer& printer) override;

 private:
  QWidget* parent_;
};

}  // namespace veridane
