#include "ui/qt/manual_form.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include "ui/qt/widget_text.h"
#include "platform/operator.h"
#include "platform/text8.h"
#include "ui/qt/px_about_form.h"
#include "ui/qt/syntax_check_form.h"

namespace veridane {

namespace {

namespace c = parlex::control;

// The syntax-check window opens this far right of and below the window's corner (60 and
// 1560 twips).
const QPoint kSyntaxFormOffset(4, 104);

// The key codes the logic knows keys by.
int KeyCode(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Select: return 41;
    case Qt::Key_Print: return 42;
    case Qt::Key_Execute: return 43;
    case Qt::Key_SysReq: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Help: return 47;
    case Qt::Key_NumLock: return 144;
    default: break;
  }
  if (key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F16) return 112 + (key.key() - Qt::Key_F1);
  if ((key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z) || (key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9))
    return key.key();
  return 0xBA;  // any other typing key
}

std::string Text8Of(const QString& text) { return Text8FromUtf8(text.toStdString()); }

// The box shows LF line ends; the logic counts the CR LF it appended.
QString ShownLines(std::string_view text) {
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return WidgetText(lines);
}

}  // namespace

ManualForm::ManualForm(parlex::ParlexSeams& seams, parlex::ParlexRunState& state, QWidget* parent)
    : QDialog(parent), seams_(seams) {
  setObjectName("ManualForm");
  setModal(true);
  presenter_ = std::make_unique<parlex::ManualPresenter>(seams, state, *this);
  BuildControls();
  Connect();
}

ManualForm::~ManualForm() {
  // The widgets outlive this object's members while QWidget takes them down: nothing may reach
  // the logic from here on.
  QLineEdit* edit = sendMessageList_->lineEdit();
  edit->removeEventFilter(this);
  edit->disconnect(this);
  sendMessageList_->disconnect(this);
  receivedMessages_->removeEventFilter(this);
  for (QPushButton* button : addressButtons_) button->removeEventFilter(this);
  timer1_->stop();
  timer1_->disconnect(this);
}

void ManualForm::Connect() {
  QLineEdit* edit = sendMessageList_->lineEdit();
  connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) { presenter_->OutgoingEdited(Text8Of(text)); });
  connect(sendMessageList_, &QComboBox::activated, this,
          [this](int index) { Command([this, index] { presenter_->EntryPicked(index); }); });
}

void ManualForm::Run() {
  presenter_->Load();
  QTimer::singleShot(0, this, [this] { Command([this] { presenter_->Activate(); }); });
  exec();
  if (ended_) throw ProgramEnded();
}

void ManualForm::Command(const std::function<void()>& work) {
  if (running_ || ended_) return;
  running_ = true;
  try {
    work();
  } catch (const ProgramEnded&) {
    ended_ = true;
  }
  running_ = false;
  if (ended_) {
    timer1_->stop();
    QDialog::done(QDialog::Rejected);
  }
}

QWidget* ManualForm::Control(std::string_view name) const {
  auto it = controls_.find(name);
  if (it != controls_.end()) return it->second;
  if (name.rfind("AddressButton", 0) == 0) {
    int index = std::atoi(std::string(name.substr(13)).c_str());
    if (index >= 0 && index < parlex::kAddressButtons) return addressButtons_[static_cast<size_t>(index)];
  }
  return nullptr;
}

QAction* ManualForm::Item(std::string_view name) const {
  auto it = items_.find(name);
  return it == items_.end() ? nullptr : it->second;
}

// --- ManualView ---

void ManualForm::SetCaption(std::string_view caption) { setWindowTitle(WidgetText(caption)); }

void ManualForm::SetEnabled(std::string_view name, bool enabled) {
  if (QWidget* widget = Control(name)) widget->setEnabled(enabled);
  if (QAction* item = Item(name)) item->setEnabled(enabled);
}

void ManualForm::SetChecked(std::string_view name, bool checked) {
  if (auto* box = qobject_cast<QCheckBox*>(Control(name))) box->setChecked(checked);
  if (QAction* item = Item(name)) item->setChecked(checked);
}

void ManualForm::SetLabel(std::string_view name, std::string_view text) {
  if (auto* label = qobject_cast<QLabel*>(Control(name))) label->setText(WidgetText(text));
}

void ManualForm::SetSyntaxErrorVisible(bool visible) { syntaxErrorMessage_->setVisible(visible); }

void ManualForm::SetAddressButton(int index, const parlex::AddressButtonState& state) {
  QPushButton* button = addressButtons_.at(static_cast<size_t>(index));
  button->setText(WidgetText(state.caption));
  button->setEnabled(state.enabled);
  if (button->isChecked() != state.pressed) {
    // A pressed button of an exclusive row cannot be released on its own.
    button->setAutoExclusive(false);
    button->setChecked(state.pressed);
    button->setAutoExclusive(true);
  }
  QFont font = button->font();
  font.setBold(state.bold);
  button->setFont(font);
  QPalette palette = button->style()->standardPalette();
  if (state.blue) palette.setColor(QPalette::ButtonText, QColor(0, 0, 255));
  button->setPalette(palette);
}

void ManualForm::SetMessageList(const std::vector<std::string>& entries) {
  const QString text = sendMessageList_->lineEdit()->text();
  QSignalBlocker block(sendMessageList_);
  QSignalBlocker blockEdit(sendMessageList_->lineEdit());
  sendMessageList_->clear();
  for (const std::string& entry : entries) sendMessageList_->addItem(WidgetText(entry));
  sendMessageList_->setCurrentIndex(-1);
  sendMessageList_->lineEdit()->setText(text);
}

void ManualForm::SetOutgoing(std::string_view text) {
  QSignalBlocker block(sendMessageList_);
  QSignalBlocker blockEdit(sendMessageList_->lineEdit());
  const int selected = presenter_ ? presenter_->Controls().selected : -1;
  if (selected >= 0 && selected < sendMessageList_->count()) sendMessageList_->setCurrentIndex(selected);
  sendMessageList_->lineEdit()->setText(WidgetText(text));
  sendMessageList_->lineEdit()->end(false);
}

void ManualForm::SelectOutgoingPart(size_t start, size_t length) {
  sendMessageList_->lineEdit()->setSelection(static_cast<int>(start + length), -static_cast<int>(length));
}

void ManualForm::SetIncoming(std::string_view text) {
  receivedMessages_->setPlainText(ShownLines(text));
  receivedMessages_->verticalScrollBar()->setValue(receivedMessages_->verticalScrollBar()->maximum());
}

void ManualForm::SetFocus(std::string_view name) {
  if (QWidget* widget = Control(name)) widget->setFocus();
}

void ManualForm::SetTimerEnabled(bool enabled) {
  if (enabled && !timer1_->isActive()) timer1_->start();
  if (!enabled) timer1_->stop();
}

std::optional<int> ManualForm::RunSyntaxCheckForm(std::string_view frameCaption, int method) {
  SyntaxCheckForm form(frameCaption, method, this);
  form.move(frameGeometry().topLeft() + kSyntaxFormOffset);
  return form.Run();
}

void ManualForm::ShowAbout() {
  pxAboutForm about(this);
  connect(&about, &pxAboutForm::EMailClicked, &about, [this] {
    seams_.op.ShowMessBox("Use mail function on the About form of the main program instead.",
                          kOkOnly + kInformation, "Email");
  });
  about.exec();
}

// --- closing and keys ---

void ManualForm::reject() {
  // Escape never closes the window (a typing slip would lose the session); it stops a capture.
  if (presenter_->TransferRunning()) presenter_->CancelTransfer();
}

void ManualForm::closeEvent(QCloseEvent* event) {
  if (ended_) {
    event->accept();
    return;
  }
  if (running_) {
    if (presenter_->TransferRunning()) presenter_->CancelTransfer();
    event->ignore();
    return;
  }
  bool mayClose = false;
  Command([&] {
    mayClose = presenter_->QueryUnload();
    if (mayClose) presenter_->Unload();
  });
  if (!mayClose && !ended_) {
    event->ignore();
    return;
  }
  timer1_->stop();
  event->accept();
  QDialog::done(QDialog::Rejected);
}

bool ManualForm::OutgoingKey(QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  QLineEdit* edit = sendMessageList_->lineEdit();
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    Command([this] { presenter_->KeyTyped(13); });
    return true;
  }
  if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && !(key->modifiers() & Qt::AltModifier)) {
    // Stepping through the list goes by the logic's selection, not the combo box's own.
    const int selected = presenter_->Controls().selected;
    const int next = selected + (key->key() == Qt::Key_Down ? 1 : -1);
    if (next >= 0 && next < static_cast<int>(presenter_->Controls().list.size()))
      Command([this, next] { presenter_->EntryPicked(next); });
    return true;
  }
  const QString text = key->text();
  if (text.size() != 1 || text[0].unicode() < 32 || text[0].unicode() == 127 ||
      (key->modifiers() & Qt::ControlModifier))
    return false;
  const std::string typed8 = Text8Of(text);
  const char typed = presenter_->KeyTyped(typed8[0]);
  if (typed == typed8[0]) return false;
  if (typed != 0) {
    edit->insert(WidgetText(std::string(1, typed)));
    presenter_->OutgoingEdited(Text8Of(edit->text()));
  }
  return true;
}

bool ManualForm::eventFilter(QObject* watched, QEvent* event) {
  QLineEdit* edit = sendMessageList_->lineEdit();
  if (watched == edit || watched == sendMessageList_) {
    switch (event->type()) {
      case QEvent::KeyPress:
        if (OutgoingKey(event)) return true;
        break;
      case QEvent::KeyRelease:
        if (!running_) presenter_->KeyReleased(KeyCode(*static_cast<QKeyEvent*>(event)));
        break;
      case QEvent::FocusIn: presenter_->OutgoingFocusReceived(); break;
      case QEvent::FocusOut: presenter_->OutgoingFocusLost(); break;
      default: break;
    }
    return QDialog::eventFilter(watched, event);
  }
  if (watched == receivedMessages_ && event->type() == QEvent::KeyPress) {
    const int code = KeyCode(*static_cast<QKeyEvent*>(event));
    if (code == 13 || code == 9) {
      presenter_->IncomingKeyTyped(code);
      if (presenter_->Controls().focus == c::kAddressButton0) return true;
    }
    return QDialog::eventFilter(watched, event);
  }
  if (event->type() == QEvent::MouseButtonDblClick) {
    for (int i = 0; i < parlex::kAddressButtons; ++i) {
      if (watched == addressButtons_[static_cast<size_t>(i)]) {
        Command([this, i] { presenter_->AddressDoubleClick(i); });
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void RunParlex(parlex::ParlexSeams& seams, parlex::ParlexRunState& state, QWidget* parent) {
  ManualForm form(seams, state, parent);
  form.Run();
}

}  // namespace veridane
