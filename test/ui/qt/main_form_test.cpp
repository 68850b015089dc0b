#include "ui/qt/guide_form.h"
#include "ui/qt/main_form.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QScreen>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <set>

#include "platform/settings.h"
#include "shell/version.h"
#include "ui/qt/window_geometry.h"

namespace veridane {
namespace {

// The items of a menu in order, separators included.
std::vector<std::tuple<std::string, std::string, bool>> ItemsOf(const QMenu* menu) {
  std::vector<std::tuple<std::string, std::string, bool>> items;
  for (QAction* action : menu->actions())
    items.emplace_back(action->objectName().toStdString(), action->isSeparator() ? "-" : action->text().toStdString(),
                       action->isEnabled());
  return items;
}

using Items = std::vector<std::tuple<std::string, std::string, bool>>;

// Measured rather than asked: some monospaced fonts do not declare themselves fixed-pitch.
bool FixedPitch(const QWidget* widget) {
  const QFontMetrics metrics(widget->font());
  return metrics.horizontalAdvance('i') == metrics.horizontalAdvance('W') &&
         metrics.horizontalAdvance(' ') == metrics.horizontalAdvance('W');
}

TEST(MainForm, CaptionIsTheMainTitle) {
  MainForm form;
  EXPECT_EQ(form.windowTitle().toStdString(), MainTitle());
  form.SetCaption(MainTitle() + "  (Auto)");
  EXPECT_EQ(form.windowTitle().toStdString(), MainTitle() + "  (Auto)");
}

TEST(MainForm, MenuBarHasTheFiveMenusInOrder) {
  MainForm form;
  Items top;
  for (QAction* action : form.menuBar()->actions())
    top.emplace_back(action->objectName().toStdString(), action->text().toStdString(), action->isEnabled());
  EXPECT_EQ(top, (Items{{"F", "&File", true},
                        {"P", "&P/V", true},
                        {"U", "&Utilities", true},
                        {"V", "&View", true},
                        {"Help", "He&lp", true},
                        {"A", "&About", true}}));
  EXPECT_EQ(form.Item("A")->menu(), nullptr);  // About is a command, not a menu
}

TEST(MainForm, MenuItemsWithNamesCaptionsAndStates) {
  MainForm form;
  EXPECT_EQ(ItemsOf(form.Menu("F")), (Items{{"LogF", "&Log File", true},
                                            {"PrintStart", "&Print", false},
                                            {"PrintPreview", "Print Pre&view", false},
                                            {"ExportText", "&Export as Text...", true},
                                            {"Certificate", "&Certificate...", true},
                                            {"Fs1", "-", true},
                                            {"FExit", "E&xit", true}}));
  EXPECT_EQ(ItemsOf(form.Menu("LogF")), (Items{{"CreateLogFile", "Create &New File", true},
                                               {"AppendLogFile", "&Import/Append to Existing File", true},
                                               {"CloseLogFile", "&Close Log File", false}}));
  EXPECT_EQ(ItemsOf(form.Menu("P")), (Items{{"FSeq", "&Full Sequence", true},
                                            {"Ps1", "-", true},
                                            {"SPC", "Self &Cal (SPC)", true},
                                            {"OffsetZero", "&Offset at Zero", true},
                                            {"Gain", "&DC Voltage Measurement", true},
                                            {"Bandwidth", "Analog &Bandwidth", true},
                                            {"SampleRate", "Long Term &Sample Rate && Delay Time", true},
                                            {"Trigger", "Edge &Trigger Sensitivity", true}}));
  EXPECT_EQ(ItemsOf(form.Menu("U")), (Items{{"ViewErrorLog", "&Scope Error Log", true},
                                            {"FManual", "&Parlex", true},
                                            {"ShowHistory", "Results &History", true},
                                            {"Us1", "-", true},
                                            {"DisableAuto", "Disable Auto Mode", false}}));
  EXPECT_EQ(ItemsOf(form.Menu("V")), (Items{{"ShowTestStatus", "&Show Test Status", true},
                                            {"ShowUncertainty", "Show &Uncertainty (U, TUR)", true},
                                            {"ClearTests", "&Clear Display/Status", false},
                                            {"Vs1", "-", true},
                                            {"ShowVersions", "&Show Module Versions", true}}));
  EXPECT_TRUE(form.Item("ShowTestStatus")->isCheckable());
  EXPECT_FALSE(form.Item("ShowTestStatus")->isChecked());
  EXPECT_EQ(form.Item("NoSuchItem"), nullptr);
}

// An access key that two items of one menu share only moves between them: the item the
// program added must be reachable with its letter. The menus' own captions keep their letters,
// shared or not ("&Show Test Status" and "&Show Module Versions").
TEST(MainForm, AddedItemsHaveAccessKeysOfTheirOwn) {
  MainForm form;
  const std::set<std::string> ownCaptions = {"&Log File", "&Print", "E&xit", "Create &New File",
                                             "&Import/Append to Existing File", "&Close Log File", "&Full Sequence",
                                             "&Scope Error Log", "&Parlex", "Disable Auto Mode", "&Show Test Status",
                                             "&Clear Display/Status", "&Show Module Versions"};
  const auto key = [](const QString& caption) {
    const qsizetype at = caption.indexOf(QRegularExpression("&[^&]"));
    return at < 0 ? QChar() : caption.at(at + 1).toLower();
  };
  std::vector<const QMenu*> menus = {form.Menu("F"), form.Menu("LogF"), form.Menu("P"), form.Menu("U"), form.Menu("V")};
  const QList<QAction*> bar = form.menuBar()->actions();
  for (const QMenu* menu : menus) {
    const QList<QAction*> actions = menu->actions();
    for (QAction* added : actions) {
      const QString caption = added->text();
      if (added->isSeparator() || ownCaptions.contains(caption.toStdString()) ||
          menu == form.Menu("P"))  // the tests' captions come from the catalogue
        continue;
      ASSERT_FALSE(key(caption).isNull()) << caption.toStdString();
      for (QAction* other : actions)
        if (other != added && !other->isSeparator())
          EXPECT_NE(key(other->text()), key(caption)) << caption.toStdString() << " / " << other->text().toStdString();
    }
  }
  for (QAction* added : bar)
    for (QAction* other : bar)
      if (other != added) EXPECT_NE(key(other->text()), key(added->text())) << added->text().toStdString();
}

TEST(MainForm, TheDesktopKeysAndTheGuide) {
  MainForm form;
  EXPECT_EQ(form.Item("PrintStart")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
  EXPECT_EQ(form.Item("PrintPreview")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
  EXPECT_EQ(form.Item("FExit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  EXPECT_EQ(form.Item("AppendLogFile")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  EXPECT_EQ(form.Item("Help")->shortcut(), QKeySequence(Qt::Key_F1));
  // The keys work with the menus closed: Ctrl+P reaches Print once it is on.
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  int printed = 0;
  QObject::connect(form.Item("PrintStart"), &QAction::triggered, [&] { ++printed; });
  QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(printed, 0);  // off while there is nothing to print
  form.Item("PrintStart")->setEnabled(true);
  QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(printed, 1);

  // F1's guide, read inside the program with its pictures.
  GuideForm guide(UserGuideUrl());
  const QString text = guide.Browser()->toPlainText();
  EXPECT_TRUE(text.startsWith("Veridane user guide")) << text.left(80).toStdString();
  for (const char* section : {"First start", "A Full Sequence", "Logs", "History", "Parlex", "Faultbook",
                              "Real adapters", "Headless use", "Exit codes"})
    EXPECT_TRUE(text.contains(section)) << section;
  const QVariant picture = guide.Browser()->loadResource(QTextDocument::ImageResource, QUrl("first-start.png"));
  EXPECT_FALSE(picture.isNull());
}

TEST(MainForm, MenusAreEnabledAndDisabledTogether) {
  MainForm form;
  form.SetMenusEnabled(false);
  for (const char* name : {"F", "P", "U", "V", "A"}) EXPECT_FALSE(form.Item(name)->isEnabled()) << name;
  // Items keep their own state underneath.
  EXPECT_TRUE(form.Item("FSeq")->isEnabled());
  form.SetMenusEnabled(true);
  for (const char* name : {"F", "P", "U", "V", "A"}) EXPECT_TRUE(form.Item(name)->isEnabled()) << name;
}

TEST(MainForm, ControlsWithNamesCaptionsAndInitialState) {
  MainForm form;
  EXPECT_EQ(form.Display()->objectName(), "Display");
  EXPECT_TRUE(form.Display()->isReadOnly());
  EXPECT_TRUE(FixedPitch(form.Display()));
  EXPECT_EQ(form.StatusList()->objectName(), "StatusList");
  EXPECT_TRUE(FixedPitch(form.StatusList()));
  EXPECT_EQ(form.TestFrame()->objectName(), "TestFrame");

  EXPECT_EQ(form.ClearTests2()->text(), "&Clear Display");
  EXPECT_FALSE(form.ClearTests2()->isEnabled());
  EXPECT_EQ(form.HideStatus()->text(), "&Hide Status");
  EXPECT_EQ(form.ExitTestButton()->text(), "&Exit Test");
  EXPECT_EQ(form.ExitTestButton()->objectName(), "ExitTestButton");
  EXPECT_FALSE(form.ExitTestButton()->isEnabled());

  EXPECT_EQ(form.Label(3)->text(), "Test Status: ");
  EXPECT_EQ(form.Label(4)->text(), "Pass:");
  EXPECT_EQ(form.Label(5)->text(), "Fail:");
  EXPECT_EQ(form.Label(6)->text(), "N/A:");
  EXPECT_EQ(form.Label(7)->text(), "Log File:");
  EXPECT_EQ(form.Label(8)->text(), "N/A");
  EXPECT_EQ(form.Label(1)->objectName(), "Label1");
  EXPECT_EQ(form.Label(2), nullptr);
  EXPECT_EQ(form.Label(9), nullptr);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(form.Label2(i)->objectName(), "Label2");
    EXPECT_EQ(form.Label2(i)->property("index").toInt(), i);
  }
  // Pass, Fail and N/A counts sit beside their labels.
  EXPECT_EQ(form.Label2(0)->y(), form.Label(4)->y());
  EXPECT_EQ(form.Label2(1)->y(), form.Label(5)->y());
  EXPECT_EQ(form.Label2(2)->y(), form.Label(6)->y());
}

TEST(MainForm, ShowTestStatusTogglesBetweenCoveredAndVisibleList) {
  MainForm form;
  const QRect full = form.Display()->geometry();
  EXPECT_EQ(full.top(), 0);
  EXPECT_EQ(full.height(), 512);  // 7680 twips
  EXPECT_TRUE(form.StatusList()->geometry().intersects(full));

  form.Item("ShowTestStatus")->trigger();
  EXPECT_TRUE(form.TestStatusShown());
  EXPECT_TRUE(form.Item("ShowTestStatus")->isChecked());
  EXPECT_EQ(form.Display()->y(), 112);       // 1680 twips
  EXPECT_EQ(form.Display()->height(), 400);  // 6000 twips
  EXPECT_FALSE(form.StatusList()->geometry().intersects(form.Display()->geometry()));
  EXPECT_FALSE(form.HideStatus()->geometry().intersects(form.Display()->geometry()));

  form.HideStatus()->click();
  EXPECT_FALSE(form.TestStatusShown());
  EXPECT_FALSE(form.Item("ShowTestStatus")->isChecked());
  EXPECT_EQ(form.Display()->geometry(), full);

  form.Item("ShowTestStatus")->trigger();
  form.Item("ShowTestStatus")->trigger();
  EXPECT_FALSE(form.TestStatusShown());
  EXPECT_FALSE(form.Item("ShowTestStatus")->isChecked());
}

TEST(MainForm, ControlsFitInsideTheWindow) {
  MainForm form;
  form.show();
  const QRect client = form.centralWidget()->rect();
  for (QWidget* control : std::initializer_list<QWidget*>{form.TestFrame(), form.ClearTests2(),
                                                          form.ExitTestButton(), form.Label(1), form.Label(8)})
    EXPECT_TRUE(client.contains(control->geometry())) << control->objectName().toStdString();
  const QRect frame = form.TestFrame()->rect();
  for (QWidget* control : std::initializer_list<QWidget*>{form.Display(), form.StatusList(), form.HideStatus(),
                                                          form.Label2(2)})
    EXPECT_TRUE(frame.contains(control->geometry())) << control->objectName().toStdString();
}

TEST(MainForm, TheDisplayGrowsWithTheWindowAndTheDesignIsTheSmallestSize) {
  MainForm form;
  form.show();
  const QSize designed = form.size();
  const QRect display = form.Display()->geometry();
  EXPECT_NE(form.minimumSize(), form.maximumSize());

  form.resize(designed + QSize(300, 200));
  QCoreApplication::processEvents();
  EXPECT_EQ(form.Display()->width(), display.width() + 300);
  EXPECT_EQ(form.Display()->height(), display.height() + 200);
  // The bottom row moves down with the frame and stays in the window; Exit Test stays right.
  const QRect client = form.centralWidget()->rect();
  for (QWidget* control : std::initializer_list<QWidget*>{form.ClearTests2(), form.ExitTestButton(), form.Label(1),
                                                          form.Label(8)}) {
    EXPECT_TRUE(client.contains(control->geometry())) << control->objectName().toStdString();
    EXPECT_GT(control->y(), form.TestFrame()->geometry().bottom()) << control->objectName().toStdString();
  }
  EXPECT_EQ(client.right() - form.ExitTestButton()->geometry().right(), form.TestFrame()->x());

  // The status list shown on a grown window: the display keeps the extra room below the list.
  form.ToggleTestStatus();
  EXPECT_EQ(form.Display()->width(), display.width() + 300);
  EXPECT_EQ(form.Display()->geometry().bottom(), form.TestFrame()->height() - 1);
  EXPECT_FALSE(form.StatusList()->geometry().intersects(form.Display()->geometry()));
  EXPECT_FALSE(form.HideStatus()->geometry().intersects(form.Display()->geometry()));

  // Narrower than designed is not possible; shorter only by part of the test frame, the row
  // below it still in the window.
  form.resize(designed - QSize(200, 200));
  QCoreApplication::processEvents();
  EXPECT_GE(form.width(), designed.width());
  EXPECT_EQ(form.height(), designed.height() - 200);
  EXPECT_TRUE(form.centralWidget()->rect().contains(form.ExitTestButton()->geometry()));
  EXPECT_GT(form.ExitTestButton()->y(), form.TestFrame()->geometry().bottom());
  form.resize(designed - QSize(0, 1000));
  QCoreApplication::processEvents();
  EXPECT_GT(form.height(), designed.height() - 300);
}

// A 1024x600 screen: the remembered main window (672x626 and more), the guide (860x680) and a
// window placed off the screen all come to lie inside it with their buttons and status bar.
TEST(MainForm, EveryWindowFitsASmallScreen) {
  const QRect screen(0, 0, 1024, 600);
  MainForm form;
  form.resize(form.size() + QSize(0, 60));
  form.move(300, 200);
  FitWindowInto(form, screen);
  GuideForm guide(UserGuideUrl());
  FitWindowInto(guide, screen);
  QWidget astray;
  astray.resize(400, 300);
  astray.move(-500, 900);
  FitWindowInto(astray, screen);
  for (QWidget* window : std::initializer_list<QWidget*>{&form, &guide, &astray}) {
    window->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen.contains(window->frameGeometry())) << window->objectName().toStdString();
    // Room for a frame the window system has not drawn yet is kept as well.
    EXPECT_LE(window->height(), screen.height() - 40) << window->objectName().toStdString();
    EXPECT_LE(window->width(), screen.width() - 16) << window->objectName().toStdString();
  }
  EXPECT_TRUE(form.rect().contains(form.statusBar()->geometry()));
  EXPECT_TRUE(form.centralWidget()->rect().contains(form.ExitTestButton()->geometry()));
  EXPECT_EQ(astray.size(), QSize(400, 300));  // moved, not shrunk
  // A window that fits keeps its place and size.
  {
    ScreenFit fit;
    qApp->installEventFilter(&fit);
    // Shown: a dialog still places itself over its parent; a window too big for the screen is
    // made to fit it.
    QWidget parent;
    parent.setGeometry(100, 100, 400, 300);
    parent.show();
    QDialog dialog(&parent);
    dialog.resize(100, 80);
    dialog.show();
    GuideForm big(UserGuideUrl());
    big.resize(3000, 3000);
    big.show();
    QCoreApplication::processEvents();
    EXPECT_LE((dialog.frameGeometry().center() - parent.frameGeometry().center()).manhattanLength(), 40)
        << dialog.x() << "," << dialog.y();
    EXPECT_TRUE(big.screen()->availableGeometry().contains(big.frameGeometry()));
    qApp->removeEventFilter(&fit);
  }
  QWidget small;
  small.setGeometry(100, 100, 300, 200);
  FitWindowInto(small, screen);
  EXPECT_EQ(small.geometry(), QRect(100, 100, 300, 200));
}

TEST(MainForm, GeometryIsRememberedInTheSettings) {
  MemorySettings settings;
  {
    MainForm form;
    form.show();
    form.setGeometry(QRect(form.geometry().topLeft(), form.size() + QSize(120, 80)));
    QCoreApplication::processEvents();
    SaveWindowGeometry(form, settings);
  }
  EXPECT_FALSE(settings.Get("Veridane", "Settings", "WindowGeometry", "").empty());
  MainForm again;
  const QSize designed = again.size();
  RestoreWindowGeometry(again, settings);
  EXPECT_EQ(again.size(), designed + QSize(120, 80));

  // A record that is not one changes nothing.
  settings.Save("Veridane", "Settings", "WindowGeometry", "not base64 !!");
  MainForm fresh;
  RestoreWindowGeometry(fresh, settings);
  EXPECT_EQ(fresh.size(), designed);
}

}  // namespace
}  // namespace veridane
