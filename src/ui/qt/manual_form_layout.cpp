// ManualForm's controls: the address row, the Outgoing and Incoming Message frames and the
// menus, with the captions, tool tips and names the logic uses.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/qt/manual_form.h"

namespace veridane {

namespace {
constexpr int kAddressButtonSize = 25;  // 375 twips
namespace c = parlex::control;
}  // namespace

QPushButton* ManualForm::AddButton(QWidget* parent, const char* name, const char* caption, const char* toolTip) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  if (toolTip != nullptr) button->setToolTip(toolTip);
  controls_[name] = button;
  return button;
}

void ManualForm::AddCheckBox(QWidget* parent, std::string_view name, const char* caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  controls_[std::string(name)] = box;
  const std::string key(name);
  connect(box, &QCheckBox::clicked, this, [this, box, key](bool checked) {
    Command([this, key, checked] { presenter_->OptionClicked(key, checked); });
    // A click while another command runs is ignored: the box shows the logic's state again.
    box->setChecked(presenter_->Controls().Checked(key));
  });
}

QAction* ManualForm::AddItem(QMenu* menu, std::string_view name, const char* caption, std::function<void()> work,
                             bool checkable) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  item->setCheckable(checkable);
  items_[std::string(name)] = item;
  const std::string key(name);
  connect(item, &QAction::triggered, this, [this, item, key, work, checkable] {
    Command(work);
    if (checkable) item->setChecked(presenter_->Controls().Checked(key));
  });
  return item;
}

QWidget* ManualForm::BuildAddressFrame() {
  auto* frame = new QGroupBox("Device Address", this);
  frame->setObjectName("Frame_Address");
  auto* row = new QHBoxLayout;
  row->setSpacing(0);
  for (int i = 0; i < parlex::kAddressButtons; ++i) {
    auto* button = new QPushButton(frame);
    button->setObjectName(QString("AddressButton%1").arg(i));
    button->setFixedSize(kAddressButtonSize, kAddressButtonSize);
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setAutoDefault(false);
    button->setEnabled(i == 0);
    button->setToolTip("Double Click for Syntax Check");
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, [this, i] { Command([this, i] { presenter_->AddressClick(i); }); });
    addressButtons_[static_cast<size_t>(i)] = button;
  }
  for (QPushButton* button : addressButtons_) row->addWidget(button);
  row->addStretch(1);

  QPushButton* idAll = AddButton(frame, "IdAll", "&Id All", "Send ID? to all devices");
  connect(idAll, &QPushButton::clicked, this, [this] { Command([this] { presenter_->IdAll(); }); });
  auto* ids = new QHBoxLayout;
  ids->addWidget(idAll);
  AddCheckBox(frame, c::kID, "I&D?");
  AddCheckBox(frame, c::kIDN, "*ID&N?");
  ids->addWidget(controls_.find(c::kID)->second);
  ids->addWidget(controls_.find(c::kIDN)->second);
  ids->addStretch(1);

  auto* layout = new QVBoxLayout(frame);
  layout->addLayout(row);
  layout->addLayout(ids);
  return frame;
}

QWidget* ManualForm::BuildOutgoingFrame() {
  auto* frame = new QGroupBox("Outgoing Message", this);
  frame->setObjectName("Frame_Outgoing");
  sendMessageList_ = new QComboBox(frame);
  sendMessageList_->setObjectName("SendMessageList");
  sendMessageList_->setEditable(true);
  sendMessageList_->setInsertPolicy(QComboBox::NoInsert);
  sendMessageList_->setDuplicatesEnabled(true);
  sendMessageList_->setCompleter(nullptr);  // completion is the logic's own, by its option
  sendMessageList_->setMaxVisibleItems(20);
  sendMessageList_->setMinimumContentsLength(40);
  sendMessageList_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Keys and focus reach the combo box, which passes them straight to its line edit, past
  // any filter there; the line edit's own are what tests and programs send it directly.
  sendMessageList_->installEventFilter(this);
  sendMessageList_->lineEdit()->installEventFilter(this);
  controls_["SendMessageList"] = sendMessageList_;

  QPushButton* send = AddButton(frame, "SendMessage", "&Send", "Send Message to Seleceted Device");
  QPushButton* remove = AddButton(frame, "DeleteOutgoingMessageEntry", "X", "Delete the selected entry");
  remove->setFixedWidth(28);
  QPushButton* restore = AddButton(frame, "ClearHistory", "R&estore", "Reset Outgoing Messages to saved entries");
  connect(send, &QPushButton::clicked, this, [this] { Command([this] { presenter_->SendMessage(); }); });
  connect(remove, &QPushButton::clicked, this,
          [this] { Command([this] { presenter_->DeleteOutgoingMessageEntry(); }); });
  connect(restore, &QPushButton::clicked, this, [this] { Command([this] { presenter_->LoadStartupMessageList(); }); });

  auto* top = new QHBoxLayout;
  top->addWidget(sendMessageList_, 1);
  top->addWidget(remove);
  top->addWidget(send);
  top->addWidget(restore);

  AddCheckBox(frame, c::kCaps, "C&APS");
  AddCheckBox(frame, c::kCheckListForMatch, "Find ma&tching commands");
  AddCheckBox(frame, c::kAllowMultiple, "Allow multi&ple entries of commands");
  AddCheckBox(frame, c::kSelectNext, "Select next Outgiong Message after send");
  AddCheckBox(frame, c::kAddCR, "C&R");
  AddCheckBox(frame, c::kAddLF, "&LF");
  auto* options = new QGridLayout;
  options->addWidget(controls_.find(c::kCaps)->second, 0, 0);
  options->addWidget(controls_.find(c::kCheckListForMatch)->second, 0, 1);
  options->addWidget(controls_.find(c::kAllowMultiple)->second, 1, 0);
  options->addWidget(controls_.find(c::kSelectNext)->second, 1, 1);
  auto* ends = new QHBoxLayout;
  ends->addWidget(new QLabel("Add to end of Outgoing Message:", frame));
  ends->addWidget(controls_.find(c::kAddCR)->second);
  ends->addWidget(controls_.find(c::kAddLF)->second);
  ends->addStretch(1);
  options->addLayout(ends, 2, 0, 1, 2);

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(new QLabel("File:", frame));
  auto* file = new QLabel(frame);
  file->setObjectName("OutGoingFile");
  file->setTextFormat(Qt::PlainText);
  controls_["OutGoingFile"] = file;
  fileRow->addWidget(file, 1);

  auto* layout = new QVBoxLayout(frame);
  layout->addLayout(top);
  layout->addLayout(options);
  layout->addLayout(fileRow);
  return frame;
}

QWidget* ManualForm::BuildIncomingFrame() {
  auto* frame = new QGroupBox("Addr   Incoming Message", this);
  frame->setObjectName("Frame_Incoming");
  receivedMessages_ = new QPlainTextEdit(frame);
  receivedMessages_->setObjectName("ReceivedMessages");
  receivedMessages_->setReadOnly(true);
  receivedMessages_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  receivedMessages_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont courier("Courier New");
  courier.setStyleHint(QFont::Monospace);
  receivedMessages_->setFont(courier);
  receivedMessages_->setMinimumSize(480, 260);
  receivedMessages_->installEventFilter(this);
  controls_["ReceivedMessages"] = receivedMessages_;

  auto* bytes = new QLabel("Bytes Received", frame);
  auto* count = new QLabel(frame);
  count->setObjectName("ReceivedCharacters");
  count->setFrameShape(QFrame::Panel);
  count->setFrameShadow(QFrame::Sunken);
  count->setMinimumWidth(60);
  controls_["ReceivedCharacters"] = count;
  syntaxErrorMessage_ = new QLabel("Syntax Error", frame);
  syntaxErrorMessage_->setObjectName("SyntaxErrorMessage");
  syntaxErrorMessage_->setStyleSheet("color: rgb(255, 0, 0); font-weight: bold;");
  // Hidden by keeping its place, so the row does not jump while it blinks.
  QSizePolicy keep = syntaxErrorMessage_->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  syntaxErrorMessage_->setSizePolicy(keep);
  syntaxErrorMessage_->setVisible(false);

  QPushButton* clear = AddButton(frame, "ClearIncoming", "&Clear", "Clear Incoming Message window");
  QPushButton* exit = AddButton(frame, "Command_Exit", "E&xit", nullptr);
  connect(clear, &QPushButton::clicked, this, [this] { Command([this] { presenter_->ClearIncoming(); }); });
  connect(exit, &QPushButton::clicked, this, [this] { close(); });

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(bytes);
  bottom->addWidget(count);
  bottom->addSpacing(16);
  bottom->addWidget(syntaxErrorMessage_);
  bottom->addStretch(1);
  bottom->addWidget(clear);
  bottom->addWidget(exit);

  auto* layout = new QVBoxLayout(frame);
  layout->addWidget(receivedMessages_, 1);
  layout->addLayout(bottom);
  return frame;
}

void ManualForm::BuildMenus(QMenuBar* bar) {
  auto& p = *presenter_;
  QMenu* file = bar->addMenu("&File");
  file->setObjectName("File");
  items_["File"] = file->menuAction();
  AddItem(file, "SelectDevice", "Select &Device", [&p] { p.SelectDevice(); });
  AddItem(file, "EnableSyntaxCheck", "Syntax &Check", [&p] { p.EnableSyntaxCheck(); });
  AddItem(file, "AutoClear", "Auto Clear &Incoming Message Box", [&p] { p.AutoClearClicked(); }, true);
  file->addSeparator();
  AddItem(file, "SendtoFileOnce", "Send Received Data To File &Once", [&p] { p.SendtoFileOnceClick(); }, true);
  AddItem(file, "SendToFile", "Send Received Data To File &All the Time", [&p] { p.SendToFileClick(); }, true);
  AddItem(file, "DisplayFile", "Show Data &File", [&p] { p.DisplayFile(); });
  AddItem(file, "SendToDevice", "&Send Data From File to Selected Device", [&p] { p.SendToDevice(); });
  file->addSeparator();
  QAction* quit = file->addAction("E&xit");
  quit->setObjectName("Quit");
  items_["Quit"] = quit;
  connect(quit, &QAction::triggered, this, [this] { close(); });

  QMenu* history = bar->addMenu("&Message Lists");
  history->setObjectName("History");
  items_["History"] = history->menuAction();
  AddItem(history, "SortMessageList", "Sort Outgoing &Message List", [&p] { p.SortMessageList(); });
  AddItem(history, "ClrMessageList", "&Clear Outgoing Message List", [&p] { p.ClrMessageList(); });
  AddItem(history, "SaveMessageList", "&Save Outgoing Message List", [&p] { p.SaveMessageList(); });
  AddItem(history, "LoadStartupMessageList", "&Reload Start Up Outgoing Message List",
          [&p] { p.LoadStartupMessageList(); });
  AddItem(history, "RestoreMessageList", "Restore &Default Outgoing Message List", [&p] { p.RestoreMessageList(); });
  AddItem(history, "ImportAlternateMessageList", "Load an &Alternate Outgoing Message List",
          [&p] { p.ImportAlternateMessageList(); });
  AddItem(history, "SaveAlternateMessageList", "Save an Alternate &Outgoing Message List",
          [&p] { p.SaveAlternateMessageList(); });
  history->addSeparator();
  AddItem(history, "ClrIncoming", "Clear &Incoming Message List", [&p] { p.ClearIncoming(); });

  // Help and About are commands in the menu bar itself.
  QAction* help = bar->addAction("&Help");
  help->setObjectName("Help");
  items_["Help"] = help;
  connect(help, &QAction::triggered, this, [this] { Command([this] { presenter_->HelpMenu(); }); });
  QAction* about = bar->addAction("A&bout");
  about->setObjectName("About");
  items_["About"] = about;
  connect(about, &QAction::triggered, this, [this] { Command([this] { presenter_->About(); }); });
}

void ManualForm::BuildControls() {
  auto* bar = new QMenuBar(this);
  BuildMenus(bar);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(bar);
  layout->addWidget(BuildAddressFrame());
  layout->addWidget(BuildOutgoingFrame());
  layout->addWidget(BuildIncomingFrame(), 1);

  timer1_ = new QTimer(this);
  timer1_->setObjectName("Timer1");
  timer1_->setInterval(200);
  connect(timer1_, &QTimer::timeout, this, [this] { presenter_->Timer1Tick(); });
}

}  // namespace veridane
