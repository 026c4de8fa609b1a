#pragma once

#include <QDialog>
#include <functional>

#include "settings/Configuration.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace feedwell::app {

class FolderPickerDialog;

// The up/down arrows beside the message limit ("UpDown1"): a tab stop whose arrow buttons, and the
// Up and Down keys, ask for a step of +1 or -1.
class UpDownArrows : public QWidget {
  Q_OBJECT

 public:
  explicit UpDownArrows(QWidget* parent = nullptr);
  QToolButton& upButton() const { return *up_; }
  QToolButton& downButton() const { return *down_; }

 signals:
  void stepped(int delta);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* up_ = nullptr;
  QToolButton* down_ = nullptr;
};

// The configuration dialog ("TfrmConfig"). It edits a Configuration in place: every change in a
// control goes straight into it, so runs started meanwhile read the live values, and
// LoadFromConfiguration puts the configuration back into the controls after the settings file was
// read. Whether OK saves and Cancel reloads is the caller's business (RunConfigurationCycle).
// The two folder buttons show the folder picker; the contacts button then starts the contacts run.
class ConfigDialog : public QDialog {
  Q_OBJECT

 public:
  // The contacts run; it reads the configuration. An Error from it is shown in a box.
  using ContactsRun = std::function<void()>;

  ConfigDialog(Configuration& config, FolderPickerDialog& picker, QWidget* parent = nullptr);

  void SetContactsRun(ContactsRun run) { contactsRun_ = std::move(run); }
  Configuration& configuration() const { return config_; }

  // Shows the configuration's values in the controls.
  void LoadFromConfiguration();

  // "Scan Folder:": the picker's choice becomes the mail folder unless the picker was cancelled.
  void Button1Click();
  // "Contacts Folder:": the picker's choice becomes the contacts folder unless the picker was
  // cancelled, and the contacts run starts at once while the dialog stays open.
  void Button2Click();

  // Steps the message limit by `delta` within 0 to 1000, from the number in the box.
  void StepLimit(int delta);

  static constexpr int kLimitMinimum = 0;
  static constexpr int kLimitMaximum = 1000;  // the arrows' range; larger numbers may be typed

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Each showing starts from the configuration as it is now.
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void ShowError(const QString& text);

  Configuration& config_;
  FolderPickerDialog& picker_;
  ContactsRun contactsRun_;
  bool contactsRunning_ = false;

  QCheckBox* contactsSubFolders_ = nullptr;
  QComboBox* contactsFolder_ = nullptr;
  QCheckBox* includeUnknown_ = nullptr;
  QCheckBox* subFolders_ = nullptr;
  QComboBox* folderToScan_ = nullptr;
  QLineEdit* limit_ = nullptr;
  UpDownArrows* upDown_ = nullptr;
};

}  // namespace feedwell::app
