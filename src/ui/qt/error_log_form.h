#pragma once
// Faultbook's window: the scope's error log as a list, with Refresh, Clear, Print and Copy to
// File. Opened modally from the main window; it reads the log when it first comes up.
#include <QDialog>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "faultbook/faultbook.h"

class QAction;
class QLabel;
class QListWidget;
class QPushButton;

namespace veridane {

class GpibBus;
class Operator;
class Paths;
struct ScopeIdentity;

struct FaultbookSeams {
  Faultbook logic;  // the log of the scope start-up found, over the run's bus
  Operator& op;
  const Paths& paths;           // the Faultbook folder (its "Simulated" part on a simulated bench)
  std::string captionMark = {};  // appended to the caption, e.g. the simulated-bench mark
};

// The two dialogs, replaceable so that the window can be driven without a person.
struct FaultbookDialogs {
  // The file to save to (UTF-8 path), starting at initialPath; empty when cancelled.
  std::function<std::string(QWidget* parent, const std::string& initialPath)> chooseSaveFile;
  // Shows the print dialog and prints; false when printing failed (not when cancelled).
  std::function<bool(QWidget* parent, Operator& op, const std::string& header, const std::vector<std::string>& entries)>
      print;
};

// The save dialog and the print dialog of the desktop.
FaultbookDialogs DesktopFaultbookDialogs();

class ErrorLogForm : public QDialog {
  Q_OBJECT

 public:
  ErrorLogForm(const FaultbookSeams& seams, FaultbookDialogs dialogs = DesktopFaultbookDialogs(),
               QWidget* parent = nullptr);

  // The window's commands, as the menu and the buttons run them.
  void ReadErrorLog();
  void RefreshList();
  void ClearErrorLog();
  void PrintErrorLog();
  void SendErrorLogToFile();

  QListWidget* List1() const { return list1_; }
  QLabel* Label1() const { return label1_; }
  QPushButton* RefreshButton() const { return refreshList_; }
  QPushButton* ClearButton() const { return clearErrorLog_; }
  QPushButton* CloseButton() const { return close_; }
  QAction* Action(const QString& name) const;
  bool Activated() const { return activated_; }
  // The program was ended from inside a command (a bus error answered with Cancel): the window
  // closed itself, and this passes the end on to whoever opened it.
  void RethrowIfEnded() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Activate();
  // Runs one command at a time: the bus waits let events through, so a second click could
  // otherwise start another command in the middle of a reading.
  void Run(const std::function<void()>& command);
  void ReadAndShow();
  void ShowList();
  void SaveToFile();
  std::string Header() const;

  FaultbookSeams seams_;
  FaultbookDialogs dialogs_;
  Faultbook logic_;
  QListWidget* list1_;
  QLabel* label1_;
  QPushButton* refreshList_;
  QPushButton* clearErrorLog_;
  QPushButton* close_;
  std::vector<QAction*> logCommands_;
  bool activated_ = false;
  bool running_ = false;
  std::exception_ptr ended_;
};

// Opens Faultbook modally and returns when it is closed; a program end inside it goes on from
// here.
void ShowErrorLog(QWidget* parent, const FaultbookSeams& seams);

}  // namespace veridane
