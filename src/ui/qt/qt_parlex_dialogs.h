#pragma once
// Parlex's file dialogs and the desktop's "open with its program", on Qt.
#include <QPointer>
#include <QString>
#include <string>

#include "parlex/parlex_files.h"

class QWidget;

namespace veridane {

// "Data Files (*.dat)|*.dat|All Files (*.*)|*.*" as a Qt dialog filter; "*.*" means every
// file, also those without an extension.
QString QtFileFilter(const std::string& filter);

class QtParlexFileDialogs : public parlex::ParlexFileDialogs {
 public:
  explicit QtParlexFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  std::string OpenFile(const parlex::FileDialogRequest& request) override;
  std::string SaveFile(const parlex::FileDialogRequest& request) override;
  bool OpenWithDesktop(const std::string& path) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace veridane
