#include "ui/qt/mess_box.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/mess_box_style.h"
#include "platform/operator.h"

namespace veridane {
namespace {

// Runs the box modally and lets `act` answer it from inside the modal loop.
BoxAnswer RunWith(MessBox& box, std::function<void(MessBox&)> act) {
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

TEST(MessBox, EscapeAnswersTheWayOutWhateverHasTheFocus) {
  // Set: what Escape answers with the focus on each shown button in turn.
  const std::pair<int, int16_t> sets[] = {{0, kOk}, {1, kCancel}, {3, kCancel}, {4, kNo}, {5, kCancel}};
  for (const auto& [set, wayOut] : sets) {
    for (int focus = 0; focus < 3; ++focus) {
      MessBox box("Are you sure you want to continue ?", static_cast<int16_t>(set + 32), "Adjust");
      if (box.Button(focus)->isHidden()) continue;
      const BoxAnswer answer = RunWith(box, [focus](MessBox& b) {
        b.Button(focus)->setFocus();
        QTest::keyClick(b.Button(focus), Qt::Key_Escape);
      });
      EXPECT_EQ(answer, wayOut) << "set " << set << " focus " << focus;
    }
  }
}

TEST(MessBox, EscapeLeavesAnAbortRetryIgnoreBoxOpen) {
  MessBox box("GPIB ERROR", 2, "c");
  bool openAfterEscape = false;
  const BoxAnswer answer = RunWith(box, [&openAfterEscape](MessBox& b) {
    QTest::keyClick(b.focusWidget(), Qt::Key_Escape);
    openAfterEscape = b.isVisible();
    QTest::mouseClick(b.Button(0), Qt::LeftButton);
  });
  EXPECT_TRUE(openAfterEscape);
  EXPECT_EQ(answer, kIgnore);
}

// The GPIB error box: Cancel ends the program, so Escape (a key pressed by habit) leaves the box
// open; a click on Cancel still ends it.
TEST(MessBox, EscapeNeverAnswersACancelThatEndsTheProgram) {
  const std::string gpibError = "EABO: I/O operation aborted (timeout)\nSelect OK to continue or Cancel to terminate program.";
  for (const int16_t style : {int16_t{49}, int16_t{19}}) {
    MessBox box(gpibError, style, "GPIB ERROR #6");
    bool openAfterEscape = false;
    const int16_t answer = RunWith(box, [&openAfterEscape](MessBox& b) {
      QTest::keyClick(b.focusWidget(), Qt::Key_Escape);
      openAfterEscape = b.isVisible();
      QTest::mouseClick(b.Button(0), Qt::LeftButton);
    });
    EXPECT_TRUE(openAfterEscape) << style;
    EXPECT_EQ(answer, kCancel) << style;
  }
}

// While a test or a sequence runs, its prompts' Cancel and No stop it: Escape answers none of
// them, whatever has the focus; a box with a single OK is still answered.
TEST(MessBox, EscapeLeavesTheWayOutOfRunningWorkAlone) {
  for (const int set : {1, 3, 4, 5}) {
    for (int focus = 0; focus < 3; ++focus) {
      MessBox box("Insert a 50 ohm termination in the path to all scope inputs.", static_cast<int16_t>(set + 64),
                  "Edge Trigger Sensitivity");
      if (box.Button(focus)->isHidden()) continue;
      box.KeepWayOutFromEscape();
      bool openAfterEscape = false;
      const int16_t answer = RunWith(box, [&](MessBox& b) {
        b.Button(focus)->setFocus();
        QTest::keyClick(b.Button(focus), Qt::Key_Escape);
        openAfterEscape = b.isVisible();
        QTest::mouseClick(b.Button(0), Qt::LeftButton);
      });
      EXPECT_TRUE(openAfterEscape) << "set " << set << " focus " << focus;
      EXPECT_EQ(answer, AnswerFromCaption(CaptionsForSet(static_cast<Buttons>(set))[0])) << set;
    }
  }
  MessBox okOnly("Set the calibrator to Standby.", 64, "Calibrator");
  okOnly.KeepWayOutFromEscape();
  EXPECT_EQ(RunWith(okOnly, [](MessBox& b) { QTest::keyClick(b.focusWidget(), Qt::Key_Escape); }), kOk);
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
  EXPECT_EQ(RunWith(left, [](MessBox& b) { QTest::keyClick(b.focusWidget(), Qt::Key_Return); }), kYes);

  // A default field naming a hidden button leaves the focus on the leftmost: Yes.
  MessBox plain("x", 4 + 512, "c");
  EXPECT_EQ(RunWith(plain,
                    [](MessBox& b) {
                      EXPECT_EQ(b.focusWidget(), b.Button(1));
                      QTest::keyClick(b.focusWidget(), Qt::Key_Return);
                    }),
            kYes);
}

TEST(MessBox, WithoutADefaultTheLeftmostButtonAnswersEnter) {
  // Set: the answer of the leftmost button. Enter is sent to whatever has the focus, as the
  // keyboard would.
  const std::pair<int, int16_t> sets[] = {{0, kOk}, {1, kOk}, {2, kAbort}, {3, kYes}, {4, kYes}, {5, kRetry}};
  for (const auto& [set, leftmost] : sets) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
      MessBox box("Do you wish to continue in Auto mode ?", static_cast<int16_t>(set + 32), "Auto mode possible");
      const BoxAnswer answer = RunWith(box, [key](MessBox& b) {
        QWidget* focused = b.focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, key);
      });
      EXPECT_EQ(answer, leftmost) << "set " << set << " key " << key;
    }
  }
}

QRect Screen1024() { return QRect(0, 0, 1024, 768); }

// The box with its buttons inside the area (frame allowance aside) and the text not cut off.
void ExpectFits(MessBox& box, const QRect& area) {
  EXPECT_LE(box.width(), area.width());
  EXPECT_LE(box.height(), area.height());
  for (int i = 0; i < 3; ++i) {
    if (box.Button(i)->isHidden()) continue;
    EXPECT_GE(box.Button(i)->x(), 0);
    EXPECT_LE(box.Button(i)->geometry().right(), box.width());
    EXPECT_LE(box.Button(i)->geometry().bottom(), box.height());
  }
  EXPECT_LE(box.MessageArea()->geometry().right(), box.width());
  EXPECT_LT(box.MessageArea()->geometry().bottom(), box.Button(0)->y());
}

TEST(MessBox, ALongLineWrapsInsideTheScreen) {
  std::string words;
  while (words.size() < 500) words += "sim:bench-name-unknown ";
  MessBox box(words, 16, "Bench");
  box.FitInto(Screen1024());
  ExpectFits(box, Screen1024());
  EXPECT_TRUE(box.LabelMsg()->wordWrap());
  // Broken into lines, all of it readable without scrolling sideways.
  EXPECT_GT(box.LabelMsg()->height(), 2 * box.LabelMsg()->fontMetrics().lineSpacing());
  EXPECT_LE(box.LabelMsg()->width(), box.MessageArea()->width());

  // One unbroken 500-character word still leaves the box on the screen; it scrolls sideways.
  MessBox word(std::string(500, 'W'), 0, "c");
  word.FitInto(Screen1024());
  ExpectFits(word, Screen1024());
  EXPECT_GT(word.LabelMsg()->width(), word.MessageArea()->width());

  // A short text is not wrapped.
  MessBox small("Are you sure ?", 36, "c");
  small.FitInto(Screen1024());
  EXPECT_FALSE(small.LabelMsg()->wordWrap());
}

TEST(MessBox, ATallMessageScrollsInsideTheScreen) {
  std::string lines;
  for (int i = 1; i <= 80; ++i) lines += "Line " + std::to_string(i) + " of the listener report\n";
  MessBox box(lines, 3, "Listeners");
  box.FitInto(Screen1024());
  ExpectFits(box, Screen1024());
  EXPECT_GT(box.LabelMsg()->height(), box.MessageArea()->height());
  // The last line can be scrolled into view, and Page Down does it from the keyboard.
  const int start = box.MessageArea()->verticalScrollBar()->value();
  box.show();
  QTest::keyClick(box.Button(2), Qt::Key_PageDown);
  EXPECT_GT(box.MessageArea()->verticalScrollBar()->value(), start);
  box.hide();

  // The same box on a larger screen shows more of the text.
  MessBox roomy(lines, 3, "Listeners");
  roomy.FitInto(QRect(0, 0, 1600, 1200));
  EXPECT_GT(roomy.MessageArea()->height(), box.MessageArea()->height());
}

TEST(MessBox, ALongCaptionIsShortenedToTheScreen) {
  MessBox box("x", 0, std::string(300, 'C'));
  box.FitInto(Screen1024());
  ExpectFits(box, Screen1024());
  EXPECT_LE(box.LabelCaption()->fontMetrics().horizontalAdvance(box.LabelCaption()->text()), box.width());
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
