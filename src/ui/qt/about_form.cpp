#include "ui/qt/about_form.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/settings.h"
#include "shell/version.h"
#include "ui/qt/about_update.h"
#include "ui/qt/click_label.h"
#include "ui/qt/qt_operator.h"
#include "ui/qt/widget_text.h"
#include "update/update_site.h"

namespace veridane {

namespace {

constexpr const char* kDescriptionLines[] = {
    "This program runs a Performance Verification of any",
    "scope of TDS300 Series. All steps are at least",
    "acording to the Service Manual and some do more. ",
    "The PC must have a GPIB board or adapter, and the scope",
    "must be connected to GPIB. This build works with:",
    "  GPIB boards through linux-gpib (gpib:0)",
    "  National Instruments boards, NI-488.2 (ni:0)",
    "  Prologix GPIB-USB and compatible (prologix:/dev/ttyUSB0)",
    "  AR488 Arduino adapters (ar488:/dev/ttyACM0)",
    "  Prologix GPIB-ETHERNET (prologix-tcp:HOST)",
    "  and a simulated bench for rehearsals (sim, sim:NAME)",
    "",
    "Supported GPIB instruments to run the program",
    "in semi automated mode are:",
    "Tek SG5030 or R&&S SME03",
    "FLUKE 5100 series",
    "",
    "If any of the supported test instruments isn't available",
    "the user will be prompted for each setting.",
    "",
    "Minimum requirements are:",
    "DC Calibrator (PG506 or CG5xxx are no good)",
    "Levelled Sinewave generator at least matching the",
    "     BW of the scope under test",
    "Time Mark generator.",
    "",
    "Other features are:",
    "Generating result data files with PASS or FAIL",
    "Communicating with GPIB devices",
    "Faultbook",
};

constexpr const char* kDisclaimer =
    "Written for the technicians who verify TDS 300-series oscilloscopes.\n"
    "Provided as is, without warranty of any kind: the scope's Service Manual\n"
    "stays the reference for every limit and every procedure.";

QLabel* AddLabel(QWidget* parent, const char* name, const std::string& text8) {
  auto* label = new QLabel(WidgetText(text8), parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

std::string AboutVersionDate(const std::string& versionString) {
  return "Version: " + versionString + ",   Date: " + kVersionDate;
}

std::string AboutDescription() {
  std::string text;
  for (const char* line : kDescriptionLines) {
    text += line;
    text += '\n';
  }
  return text;
}

frmAbout::frmAbout(QWidget* parent, const AboutUpdateSeams* update) : QDialog(parent) {
  setObjectName("frmAbout");
  setModal(true);
  setWindowTitle(QString("About ") + kApplicationTitle);

  auto* picIcon = new QLabel(this);
  picIcon->setObjectName("picIcon");
  const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                         : QApplication::windowIcon();
  picIcon->setPixmap(icon.pixmap(48, 48));
  picIcon->setAlignment(Qt::AlignTop);

  QLabel* title = AddLabel(this, "Label_Title", kApplicationTitle);
  QFont titleFont = title->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
  titleFont.setBold(true);
  title->setFont(titleFont);

  labelVersionDate_ = AddLabel(this, "Label_VersionDate", AboutVersionDate(VersionString()));
  labelDescription_ = AddLabel(this, "Label_Description", AboutDescription());
  labelDisclaimer_ = AddLabel(this, "Label_Disclaimer", kDisclaimer);
  labelDisclaimer_->setEnabled(false);  // the greyed small print

  commandClose_ = new QPushButton("&Close", this);
  commandClose_->setObjectName("Command_Close");
  commandClose_->setDefault(true);
  connect(commandClose_, &QPushButton::clicked, this, &QDialog::accept);
  // The description writes "&&" for one "&", which a label shows that way only when it
  // handles access keys; it has no single "&", so no access key arises.
  labelDescription_->setBuddy(commandClose_);

  commandCheckUpdate_ = MakeCheckUpdateButton(this);
  lblEmail_ = MakeEmailLabel(this);
  if (update) updateCheck_ = new AboutUpdateCheck(*commandCheckUpdate_, *lblEmail_, *update, kApplicationTitle, VersionString(), this);

  auto* separator = new QFrame(this);
  separator->setObjectName("Line1");
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);

  auto* texts = new QVBoxLayout;
  texts->addWidget(title);
  texts->addWidget(labelVersionDate_);
  texts->addSpacing(8);
  texts->addWidget(labelDescription_);

  auto* top = new QHBoxLayout;
  top->addWidget(picIcon);
  top->addSpacing(12);
  top->addLayout(texts, 1);

  auto* credit = new QVBoxLayout;
  credit->addWidget(labelDisclaimer_);
  credit->addWidget(lblEmail_);
  auto* commands = new QVBoxLayout;
  commands->addStretch(1);
  commands->addWidget(commandCheckUpdate_);
  commands->addWidget(commandClose_);
  auto* bottom = new QHBoxLayout;
  bottom->addLayout(credit, 1);
  bottom->addLayout(commands);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(separator);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShowAbout(QWidget* parent, const AboutUpdateSeams& update) {
  frmAbout about(parent, &update);
  about.exec();
}

void ShowAbout(QWidget* parent) {
  const UserSettings settings;
  ShowAbout(parent, settings);
}

void ShowAbout(QWidget* parent, const Settings& settings) {
  QtOperator op(parent);
  const AboutUpdateSeams update{op, settings, UpdateCacheFolder(), OpenWithDesktop};
  frmAbout about(parent, &update);
  op.SetMainWindow(&about);  // the check's answers stand over the box
  about.exec();
}

}  // namespace veridane
