#include "ui/qt/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QKeySequence>
#include <QMenuBar>
#include <utility>

#include "pv/catalogue.h"

namespace veridane {

namespace {

// One line of the tree: a name and a caption; "-" makes a separator.
struct Entry {
  const char* name;
  const char* caption;
  bool enabled = true;
};

QMenu* AddMenu(QWidget& parent, const char* name, const char* caption) {
  auto* menu = new QMenu(QString::fromLatin1(caption), &parent);
  menu->setObjectName(name);
  menu->menuAction()->setObjectName(name);
  return menu;
}

void AddEntries(QMenu& menu, std::initializer_list<Entry> entries) {
  for (const Entry& entry : entries) {
    QAction* action = QString(entry.caption) == "-" ? menu.addSeparator() : menu.addAction(entry.caption);
    action->setObjectName(entry.name);
    action->setEnabled(entry.enabled);
  }
}

}  // namespace

void BuildMainMenu(QMenuBar& bar) {
  QMenu* file = AddMenu(bar, "F", "&File");
  QMenu* log = AddMenu(*file, "LogF", "&Log File");
  AddEntries(*log, {{"CreateLogFile", "Create &New File"},
                    {"AppendLogFile", "&Import/Append to Existing File"},
                    {"CloseLogFile", "&Close Log File", false}});
  file->addMenu(log);
  AddEntries(*file, {{"PrintStart", "&Print", false}, {"PrintPreview", "Print Pre&view", false}, {"Fs1", "-"}, {"FExit", "E&xit"}});
  // The items added to the File menu take letters no other item of it uses.
  AddEntries(*file, {{"ExportText", "&Export as Text..."}, {"Certificate", "&Certificate..."}});
  for (const char* name : {"ExportText", "Certificate"})
    file->insertAction(file->findChild<QAction*>("Fs1"), file->findChild<QAction*>(name));
  bar.addMenu(file);

  QMenu* pv = AddMenu(bar, "P", "&P/V");
  AddEntries(*pv, {{"FSeq", "&Full Sequence"}, {"Ps1", "-"}});
  for (const CatalogueEntry& test : TestCatalogue()) {
    QAction* action = pv->addAction(QString::fromLatin1(test.menuCaption.data(), static_cast<qsizetype>(test.menuCaption.size())));
    action->setObjectName(QString::fromLatin1(test.menuItem.data(), static_cast<qsizetype>(test.menuItem.size())));
  }
  bar.addMenu(pv);

  QMenu* utilities = AddMenu(bar, "U", "&Utilities");
  AddEntries(*utilities, {{"ViewErrorLog", "&Scope Error Log"},
                          {"FManual", "&Parlex"},
                          {"ShowHistory", "Results &History"},
                          {"Us1", "-"},
                          {"DisableAuto", "Disable Auto Mode", false}});
  bar.addMenu(utilities);

  QMenu* view = AddMenu(bar, "V", "&View");
  AddEntries(*view, {{"ShowTestStatus", "&Show Test Status"},
                     {"ShowUncertainty", "Show &Uncertainty (U, TUR)"},
                     {"ClearTests", "&Clear Display/Status", false},
                     {"Vs1", "-"},
                     {"ShowVersions", "&Show Module Versions"}});
  view->findChild<QAction*>("ShowTestStatus")->setCheckable(true);
  view->findChild<QAction*>("ShowUncertainty")->setCheckable(true);
  bar.addMenu(view);

  // "&About" is a command on the menu bar itself, without items; so is the user guide.
  // Alt+H belongs to the Hide Status button.
  QAction* help = bar.addAction("He&lp");
  help->setObjectName("Help");
  QAction* about = bar.addAction("&About");
  about->setObjectName("A");

  // The keys every desktop program answers to. A menu item that is off (no log, a test
  // running) ignores its key as it ignores a click.
  const std::pair<const char*, QKeySequence> keys[] = {
      {"PrintStart", QKeySequence(Qt::CTRL | Qt::Key_P)},
      {"PrintPreview", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
      {"FExit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"AppendLogFile", QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"Help", QKeySequence(Qt::Key_F1)},
  };
  for (const auto& [name, key] : keys) {
    QAction* action = bar.findChild<QAction*>(name);
    if (action == nullptr) continue;
    action->setShortcut(key);
    // The item's own menu need not be open for its key to work.
    action->setShortcutContext(Qt::WindowShortcut);
    bar.parentWidget() ? bar.parentWidget()->addAction(action) : void();
  }
}

}  // namespace veridane
