// Parlex's window on the simulated bench: what it shows, and that clicks and keys reach the
// logic and come back on screen.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "sim/bench/bench.h"
#include "test/support/widget_checks.h"
#include "test/parlex/parlex_fixture.h"
#include "ui/qt/manual_form.h"
#include "ui/qt/px_about_form.h"
#include "ui/qt/syntax_check_form.h"

namespace veridane {
namespace {

class ManualFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bench = sim::Bench::Shipped("default", clock);
    rig = std::make_unique<parlex::testing::ParlexRig>(bench->Bus(), clock, std::vector<int16_t>{1, 5, 6, 7, 8, 11, 12});
    rig->seams.captionMark = " [Simulated bench]";
    form = std::make_unique<ManualForm>(rig->seams, rig->state);
    form->Presenter().Load();
    form->show();
    form->Presenter().Activate();
  }
  QPushButton* Button(const char* name) { return qobject_cast<QPushButton*>(form->Control(name)); }
  QLineEdit* Edit() { return form->SendMessageList()->lineEdit(); }
  // Where the window system delivers the typing: the combo box has the focus and hands keys
  // to its line edit past any event filter there.
  QWidget* Keys() { return form->SendMessageList(); }

  VirtualClock clock;
  std::unique_ptr<sim::Bench> bench;
  std::unique_ptr<parlex::testing::ParlexRig> rig;
  std::unique_ptr<ManualForm> form;
};

TEST_F(ManualFormTest, ShowsTheListenersCaptionsAndTheStartState) {
  EXPECT_EQ(form->windowTitle(), "Embedded Parlex [Simulated bench]");
  EXPECT_EQ(form->AddressButton(0)->text(), "1");
  EXPECT_EQ(form->AddressButton(6)->text(), "12");
  EXPECT_TRUE(form->AddressButton(6)->isEnabled());
  EXPECT_FALSE(form->AddressButton(7)->isEnabled());
  EXPECT_EQ(form->AddressButton(0)->toolTip(), "Double Click for Syntax Check");
  EXPECT_EQ(Button("SendMessage")->text(), "&Send");
  EXPECT_EQ(Button("SendMessage")->toolTip(), "Send Message to Seleceted Device");
  EXPECT_EQ(Button("ClearHistory")->toolTip(), "Reset Outgoing Messages to saved entries");
  EXPECT_EQ(Button("IdAll")->toolTip(), "Send ID? to all devices");
  EXPECT_EQ(form->Item("SendToFile")->text(), "Send Received Data To File &All the Time");
  EXPECT_FALSE(form->SendMessageList()->isEnabled());
  EXPECT_FALSE(form->Item("History")->isEnabled());
  EXPECT_FALSE(form->SyntaxErrorMessage()->isVisible());
  EXPECT_EQ(form->SendMessageList()->count(), 6);
  EXPECT_EQ(form->SendMessageList()->itemText(0), "<Help>");
  EXPECT_TRUE(qobject_cast<QCheckBox*>(form->Control("Caps"))->isChecked());
}

TEST_F(ManualFormTest, SelectTypeAndSendShowsTheAnswer) {
  QTest::mouseClick(form->AddressButton(0), Qt::LeftButton);
  EXPECT_TRUE(form->SendMessageList()->isEnabled());
  EXPECT_TRUE(form->AddressButton(0)->font().bold());
  EXPECT_TRUE(form->AddressButton(0)->isChecked());

  QTest::keyClicks(Keys(), "id?");
  EXPECT_EQ(Edit()->text(), "ID?");  // capitals while C&APS is checked
  EXPECT_TRUE(Button("SendMessage")->isEnabled());
  QTest::keyClick(Keys(), Qt::Key_Return);
  EXPECT_TRUE(form->ReceivedMessages()->toPlainText().startsWith("01: ID TEK/TDS 340"))
      << form->ReceivedMessages()->toPlainText().toStdString();
  EXPECT_EQ(qobject_cast<QLabel*>(form->Control("ReceivedCharacters"))->text().trimmed().toInt(),
            form->ReceivedMessages()->toPlainText().size() - 5);  // "01: " and the line end
  EXPECT_TRUE(Button("ClearIncoming")->isEnabled());

  // Another device, then the box is cleared.
  QTest::mouseClick(form->AddressButton(3), Qt::LeftButton);
  EXPECT_FALSE(form->AddressButton(0)->font().bold());
  QTest::mouseClick(Button("ClearIncoming"), Qt::LeftButton);
  EXPECT_TRUE(form->ReceivedMessages()->toPlainText().isEmpty());
  EXPECT_FALSE(Button("ClearIncoming")->isEnabled());
}

TEST_F(ManualFormTest, SyntaxCheckChosenInItsWindowBlinksOnAMistypedCommand) {
  QTest::mouseClick(form->AddressButton(0), Qt::LeftButton);
  testing::ModalRun run = testing::RunModal<SyntaxCheckForm>(
      [&] { form->Command([&] { form->Presenter().EnableSyntaxCheck(); }); },
      [](SyntaxCheckForm& box) {
        EXPECT_EQ(box.Frame()->title(), " Syntax Checking for device at address 1 ");
        EXPECT_TRUE(box.SyntaxCheckMethod(1)->isChecked());
        // The arrow keys walk the options as they are shown: None, Serial Poll, Status Registers.
        box.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
        ASSERT_EQ(QApplication::focusWidget(), box.SyntaxCheckMethod(1));
        QTest::keyClick(box.focusWidget(), Qt::Key_Down);
        EXPECT_TRUE(box.SyntaxCheckMethod(0)->isChecked());
        QTest::keyClick(box.focusWidget(), Qt::Key_Down);
        EXPECT_TRUE(box.SyntaxCheckMethod(2)->isChecked());
        QTest::keyClick(box.focusWidget(), Qt::Key_Up);
        EXPECT_TRUE(box.SyntaxCheckMethod(0)->isChecked());
        QTest::keyClick(box.focusWidget(), Qt::Key_Down);
        EXPECT_TRUE(box.SyntaxCheckMethod(2)->isChecked());
        box.CloseButton()->click();
      });
  EXPECT_TRUE(run.shown);
  EXPECT_FALSE(run.guardClosedIt);
  EXPECT_EQ(form->AddressButton(0)->palette().color(QPalette::ButtonText), QColor(0, 0, 255));

  QTest::keyClicks(Keys(), "CH1:SCAX .5");
  QTest::keyClick(Keys(), Qt::Key_Return);
  EXPECT_TRUE(form->Timer1()->isActive());
  for (int tick = 0; tick < 7; ++tick) QMetaObject::invokeMethod(form->Timer1(), "timeout");
  EXPECT_FALSE(form->Timer1()->isActive());
  EXPECT_TRUE(form->SyntaxErrorMessage()->isVisible());
}

TEST_F(ManualFormTest, ClosingWithChangesAsksAndEscapeDoesNotClose) {
  QTest::mouseClick(form->AddressButton(0), Qt::LeftButton);
  QTest::keyClicks(Keys(), "ACQ:STATE RUN");
  QTest::keyClick(Keys(), Qt::Key_Return);
  EXPECT_EQ(form->SendMessageList()->count(), 7);

  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_TRUE(form->isVisible());

  rig->technician.ExpectContaining("Changes have been done", 35, "Exit", kCancel);
  form->close();
  EXPECT_TRUE(form->isVisible());
  form->close();  // the question is not asked twice
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(rig->technician.ExpectAllConsumed());
}

TEST_F(ManualFormTest, ProgramEndedInACommandClosesTheWindow) {
  QTest::mouseClick(form->AddressButton(0), Qt::LeftButton);
  bench->SimulatedBus().SetVanishAfter(1, 0);
  rig->technician.ExpectContaining("No listener on write function.", 49, "GPIB ERROR # 2", kCancel);
  QTest::keyClicks(Keys(), "INIT");
  QTest::keyClick(Keys(), Qt::Key_Return);
  EXPECT_TRUE(form->Ended());
  EXPECT_FALSE(form->isVisible());
}

TEST(ParlexBoxes, AboutBoxHasNoUpdateButton) {
  pxAboutForm about;
  EXPECT_EQ(about.windowTitle(), "About embedded Parlex");
  EXPECT_FALSE(about.CommandCheckUpdate()->isVisibleTo(&about));
  EXPECT_EQ(about.CommandOK()->text(), "Close");
  EXPECT_TRUE(about.LabelAbout()->text().endsWith("\n\n"));
}

}  // namespace
}  // namespace veridane
