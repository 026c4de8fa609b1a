#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

#include "collection/Session.h"
#include "common/Home.h"
#include "common/Host.h"
#include "mailstore/MailStore.h"

class QAction;
class QPushButton;
class QSplitter;

namespace feedwell::view {
class ActivityLog;
class BrowserPane;
class MessageGrid;
class StatusStrip;
}  // namespace feedwell::view

namespace feedwell::app {

class ConfigDialog;
struct ConfigurationCycle;
class FolderPickerDialog;

// The main window ("TForm1"): the four commands, the message list, the browser pane and the status
// strip. It holds the session (table, configuration, time stamps, scan mark) and is the host of the
// long runs. Commands that would nest inside a running one are off while it runs; every command's
// error is shown in a box and the program runs on.
class MainWindow : public QMainWindow, public Host {
  Q_OBJECT

 public:
  explicit MainWindow(const Home& home, QWidget* parent = nullptr);
  ~MainWindow() override;

  Session& session() { return session_; }
  view::MessageGrid& grid() { return *grid_; }
  view::BrowserPane& browser() { return *browser_; }
  view::StatusStrip& statusStrip() { return *strip_; }
  view::ActivityLog& activityLog() { return *log_; }
  QAction& scanAction() { return *scanAction_; }
  // The mail store of the home's profile, opened on first use; the scan, the folder picker and the
  // contacts run share it.
  mailstore::Application& Store();

  // Start-up of the session: the record template, the table file and the time stamps; the status
  // strip shows the result. A failure is shown in a box and skips the remaining steps.
  void FormCreate();

  // Creates the folder picker, which reads the whole folder tree of the profile now (an error is
  // shown once and the picker keeps what it read), and the configuration dialog.
  void CreateDialogs();
  FolderPickerDialog* folderPicker() const { return picker_; }
  ConfigDialog* configDialog() const { return configDialog_; }

  // The commands.
  void Button2Click();    // "Configuration..."
  void Button3Click();    // "Generate HTML"
  void Button4Click();    // "Open Page"
  void actScanExecute();  // "Scan & GenHTML"
  // Shows the focused message in the pane, except while a mail scan runs.
  void cxGrid1DBTableView1FocusedRecordChanged();

  // Host
  void SetStatusText(const QString& text) override;
  void LogActivity(const QString& line) override;
  void ClearActivityLog() override;
  void SuspendList() override;
  void ResumeList() override;
  void FocusFirstRow() override;
  QVector<PageRow> RowsInViewOrder() override;
  void ProcessEvents() override;
  void ShowMessage(const QString& text) override;

 protected:
  // Where the settings file and the configuration dialog come in. LoadSettingsAndAsk runs once,
  // when the window is first shown: it reads the settings and asks the first-run question.
  // RunConfiguration shows the configuration dialog and saves or reloads the settings after it.
  virtual void LoadSettingsAndAsk();
  virtual void RunConfiguration();
  // The error box of a failed command.
  virtual void ShowError(const QString& text);

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildLayout();
  void FormActivate();
  // Runs a command that must not nest: the session is busy and the nesting commands are off for its
  // length; the list's display comes back and the log is shown however it ends.
  void RunExclusive(const std::function<void()>& command);
  // Runs any other command, showing its error.
  void RunGuarded(const std::function<void()>& command);
  void UpdateCommandStates();
  ConfigurationCycle Cycle();

  Session session_;
  std::unique_ptr<mailstore::Application> store_;
  view::MessageGrid* grid_ = nullptr;
  view::BrowserPane* browser_ = nullptr;
  view::StatusStrip* strip_ = nullptr;
  std::unique_ptr<view::ActivityLog> log_;
  QSplitter* splitter_ = nullptr;
  QPushButton* scanButton_ = nullptr;
  QPushButton* generateButton_ = nullptr;
  QPushButton* configButton_ = nullptr;
  QPushButton* openPageButton_ = nullptr;
  QAction* scanAction_ = nullptr;
  FolderPickerDialog* picker_ = nullptr;
  ConfigDialog* configDialog_ = nullptr;
  bool activated_ = false;
};

}  // namespace feedwell::app
