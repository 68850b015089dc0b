#include "ui/qt/mess_box.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/operator.h"

namespace veridane {
namespace {

// Runs the box modally and lets `act` answer it from inside the modal loop.
int16_t RunWith(MessBox& box, std::function<void(MessBox&)> act) {
  QTimer::singleShot(0, &box, [&box, act] {
    if (!box.isVisible()) return;
    act(box);
  });
  return box.Run();
}

std::vector<std::string> VisibleCaptionsLeftToRight(const MessBox& box) {
  std::vector<std::string> captions;
  for (int i = 2; i >= 0; --i)
    if (!box.Button(i)->isHidden()) captions.push_back(box.Button(i)->text().toStdString());
  return captions;
}

TEST(MessBox, Style36IsYesNoWithTheQuestionMarker) {
  MessBox box("Are you sure ?", 36, "Disable Auto Mode");
  EXPECT_EQ(box.windowTitle(), " Disable Auto Mode  < ? >");
  EXPECT_EQ(box.LabelCaption()->text(), " DISABLE AUTO MODE  < ? >");
  EXPECT_EQ(box.LabelMsg()->text(), "Are you sure ?");
  EXPECT_EQ(VisibleCaptionsLeftToRight(box), (std::vector<std::string>{"Yes", "No"}));
  EXPECT_EQ(box.Button(0)->text(), "No");
  EXPECT_EQ(box.LabelCaption()->objectName(), "Label_Caption");
  EXPECT_EQ(box.FrameMsg()->objectName(), "Frame_Msg");
  EXPECT_EQ(box.LineMsg()->objectName(), "Line_Msg");
}

TEST(MessBox, ButtonSetsShowTheirButtonsRightAligned) {
  MessBox three("x", 2, "c");
  EXPECT_EQ(VisibleCaptionsLeftToRight(three), (std::vector<std::string>{"Abort", "Retry", "Ignore"}));
  EXPECT_LT(three.Button(2)->x(), three.Button(1)->x());
  EXPECT_LT(three.Button(1)->x(), three.Button(0)->x());
  EXPECT_EQ(three.Button(0)->x() - three.Button(1)->x(), 80);  // 1200 twips
  EXPECT_LE(three.Button(0)->geometry().right(), three.width());

  MessBox okCancel("x", 49, "GPIB Error");
  EXPECT_EQ(VisibleCaptionsLeftToRight(okCancel), (std::vector<std::string>{"OK", "Cancel"}));
  EXPECT_EQ(okCancel.LabelCaption()->text(), " GPIB ERROR  < ! >");

  MessBox critical("x", 19, "c");
  EXPECT_EQ(VisibleCaptionsLeftToRight(critical), (std::vector<std::string>{"Yes", "No", "Cancel"}));
  EXPECT_EQ(critical.windowTitle(), " c  <Critical>");
}

TEST(MessBox, SizesItselfToLongTexts) {
  MessBox small("OK ?", 0, "Versions");
  const std::string longLine(120, 'W');
  std::string eightLines;
  for (int i = 0; i < 8; ++i) eightLines += "          Main Program: " + longLine.substr(0, 40 + i) + "\n";
  MessBox big(eightLines, 0, "Current Module versions");
  EXPECT_GT(big.width(), small.width());
  EXPECT_GT(big.height(), small.height() + 5 * big.LabelMsg()->fontMetrics().height());
  EXPECT_LE(big.LabelMsg()->geometry().right(), big.width());
  EXPECT_GT(big.Button(0)->y(), big.LabelMsg()->geometry().bottom());
  EXPECT_LE(big.Button(0)->geometry().bottom(), big.height());
  // Text with markup characters stays plain text.
  MessBox markup("<b>5 \xB5s</b>", 0, "c");
  EXPECT_EQ(markup.LabelMsg()->text(), QString::fromUtf8("<b>5 \xC2\xB5s</b>"));
  EXPECT_EQ(markup.LabelMsg()->textFormat(), Qt::PlainText);
}

TEST(MessBox, ClickingAButtonAnswersItsCode) {
  MessBox box("x", 2, "c");
  EXPECT_EQ(RunWith(box, [](MessBox& b) { QTest::mouseClick(b.Button(1), Qt::LeftButton); }), kRetry);
  MessBox yesNo("x", 4, "c");
  EXPECT_EQ(RunWith(yesNo, [](MessBox& b) { QTest::mouseClick(b.Button(1), Qt::LeftButton); }), kYes);
}

TEST(MessBox, EscapePressesTheFocusedButton) {
  MessBox box("Are you sure ?", 36, "Disable Auto Mode");
  const int16_t answer = RunWith(box, [](MessBox& b) {
    b.Button(0)->setFocus();
    QTest::keyClick(b.Button(0), Qt::Key_Escape);
  });
  EXPECT_EQ(answer, kNo);

  MessBox yes("Are you sure ?", 36, "Disable Auto Mode");
  EXPECT_EQ(RunWith(yes,
                    [](MessBox& b) {
                      b.Button(1)->setFocus();
                      QTest::keyClick(b.Button(1), Qt::Key_Escape);
                    }),
            kYes);

  // Escape on the focused Retry of a Retry/Cancel box is Retry, not Cancel.
  MessBox retry("x", 5, "c");
  EXPECT_EQ(RunWith(retry,
                    [](MessBox& b) {
                      b.Button(1)->setFocus();
                      QTest::keyClick(b.Button(1), Qt::Key_Escape);
                    }),
            kRetry);
}

TEST(MessBox, DefaultButtonHasTheFocusAndEnterPressesIt) {
  MessBox middle("x", 3 + 256, "c");
  EXPECT_EQ(RunWith(middle,
                    [](MessBox& b) {
                      EXPECT_EQ(b.focusWidget(), b.Button(1));
                      QTest::keyClick(b.focusWidget(), Qt::Key_Return);
                    }),
            kNo);

  MessBox left("x", 3 + 512, "c");
  EXPECT_EQ(RunWith(left, [](MessBox& b) { QTest::keyClick(b.focusWidget(), Qt::Key_Escape); }), kYes);

  // Without a default button, or with one that is hidden, Button(0) has the focus.
  MessBox plain("x", 4 + 512, "c");
  EXPECT_EQ(RunWith(plain,
                    [](MessBox& b) {
                      EXPECT_EQ(b.focusWidget(), b.Button(0));
                      QTest::keyClick(b.focusWidget(), Qt::Key_Escape);
                    }),
            kNo);
}

TEST(MessBox, CloseBoxGivesCancelOrTheRightmostButton) {
  MessBox yesNoCancel("x", 35, "c");
  EXPECT_EQ(RunWith(yesNoCancel, [](MessBox& b) { b.close(); }), kCancel);
  MessBox yesNo("x", 36, "c");
  EXPECT_EQ(RunWith(yesNo, [](MessBox& b) { b.close(); }), kNo);
  MessBox ok("x", 64, "c");
  EXPECT_EQ(RunWith(ok, [](MessBox& b) { b.close(); }), kOk);
  MessBox ari("x", 2, "c");
  EXPECT_EQ(RunWith(ari, [](MessBox& b) { b.close(); }), kIgnore);
}

TEST(MessBox, UnknownButtonSetStillAnswers) {
  MessBox box("x", 9, "c");
  EXPECT_EQ(VisibleCaptionsLeftToRight(box), (std::vector<std::string>{"OK"}));
  EXPECT_EQ(RunWith(box, [](MessBox& b) { QTest::mouseClick(b.Button(0), Qt::LeftButton); }), kOk);
}

}  // namespace
}  // namespace veridane
