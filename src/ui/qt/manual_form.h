#pragma once
// ManualForm: Parlex's window. It shows what ManualPresenter keeps and passes every click and
// key on to it. Commands run one at a time: while one waits for the bus (and lets the window's
// events run), further clicks are ignored, and closing the window stops a running capture
// instead of closing.
#include <QDialog>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "parlex/manual_presenter.h"
#include "parlex/manual_view.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace veridane {

class ManualForm : public QDialog, public parlex::ManualView {
  Q_OBJECT

 public:
  ManualForm(parlex::ParlexSeams& seams, parlex::ParlexRunState& state, QWidget* parent = nullptr);
  ~ManualForm() override;

  // Loads, shows modally, returns when closed. Rethrows ProgramEnded when a command ended the
  // program (after the window has closed), so the caller's guard sees it outside Qt's dispatch.
  void Run();

  parlex::ManualPresenter& Presenter() { return *presenter_; }
  // Controls and menu items by their names; nullptr when unknown.
  QWidget* Control(std::string_view name) const;
  QAction* Item(std::string_view name) const;
  QComboBox* SendMessageList() const { return sendMessageList_; }
  QPlainTextEdit* ReceivedMessages() const { return receivedMessages_; }
  QPushButton* AddressButton(int index) const { return addressButtons_.at(static_cast<size_t>(index)); }
  QLabel* SyntaxErrorMessage() const { return syntaxErrorMessage_; }
  QTimer* Timer1() const { return timer1_; }
  bool Ended() const { return ended_; }

  // Runs a command unless one is running; ProgramEnded closes the window.
  void Command(const std::function<void()>& work);

  // --- ManualView ---
  void SetCaption(std::string_view caption) override;
  void SetEnabled(std::string_view name, bool enabled) override;
  void SetChecked(std::string_view name, bool checked) override;
  void SetLabel(std::string_view name, std::string_view text) override;
  void SetSyntaxErrorVisible(bool visible) override;
  void SetAddressButton(int index, const parlex::AddressButtonState& state) override;
  void SetMessageList(const std::vector<std::string>& entries) override;
  void SetOutgoing(std::string_view text) override;
  void SelectOutgoingPart(size_t start, size_t length) override;
  void SetIncoming(std::string_view text) override;
  void SetFocus(std::string_view name) override;
  void SetTimerEnabled(bool enabled) override;
  std::optional<int> RunSyntaxCheckForm(std::string_view frameCaption, int method) override;
  void ShowAbout() override;

  // Escape and the window's close box close through the unload question.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus(QMenuBar* bar);
  QWidget* BuildAddressFrame();
  QWidget* BuildOutgoingFrame();
  QWidget* BuildIncomingFrame();
  QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, const char* toolTip);
  void AddCheckBox(QWidget* parent, std::string_view name, const char* caption);
  QAction* AddItem(QMenu* menu, std::string_view name, const char* caption, std::function<void()> work,
                   bool checkable = false);
  void Connect();
  bool OutgoingKey(QEvent* event);

  parlex::ParlexSeams& seams_;
  std::unique_ptr<parlex::ManualPresenter> presenter_;
  std::map<std::string, QWidget*, std::less<>> controls_;
  std::map<std::string, QAction*, std::less<>> items_;
  QComboBox* sendMessageList_ = nullptr;
  QPlainTextEdit* receivedMessages_ = nullptr;
  QLabel* syntaxErrorMessage_ = nullptr;
  std::array<QPushButton*, parlex::kAddressButtons> addressButtons_{};
  QTimer* timer1_ = nullptr;
  bool running_ = false;
  bool ended_ = false;
  bool closing_ = false;
};

// Opens Parlex modally over parent and returns when it is closed.
void RunParlex(parlex::ParlexSeams& seams, parlex::ParlexRunState& state, QWidget* parent);

}  // namespace veridane
