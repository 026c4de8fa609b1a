#include "app/dialogs/ConfigDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QToolButton>
#include <algorithm>
#include <exception>

#include "app/dialogs/FolderPickerDialog.h"
#include "common/Error.h"

namespace feedwell::app {
namespace {

QPushButton* MakeButton(const QString& name, const QString& caption, const QRect& place, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(place);
  // Enter presses a button only while it has the focus: no button stands in as the default.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QCheckBox* MakeCheckBox(const QString& name, const QString& caption, const QRect& place, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setGeometry(place);
  return box;
}

QComboBox* MakeFolderBox(const QString& name, const QRect& place, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);  // a typed name is a name, never a list entry
  box->setGeometry(place);
  return box;
}

// A whole decimal number that fits the limit, or nothing.
bool ParseLimit(const QString& text, int* value) {
  bool ok = false;
  const int number = text.toInt(&ok);
  if (ok) *value = number;
  return ok;
}

}  // namespace

UpDownArrows::UpDownArrows(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::TabFocus);
  up_ = new QToolButton(this);
  up_->setObjectName(QStringLiteral("UpButton"));
  up_->setArrowType(Qt::UpArrow);
  down_ = new QToolButton(this);
  down_->setObjectName(QStringLiteral("DownButton"));
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* button : {up_, down_}) {
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
  }
  connect(up_, &QToolButton::clicked, this, [this] { emit stepped(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { emit stepped(-1); });
}

void UpDownArrows::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up) {
    emit stepped(+1);
  } else if (event->key() == Qt::Key_Down) {
    emit stepped(-1);
  } else {
    QWidget::keyPressEvent(event);
  }
}

void UpDownArrows::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

ConfigDialog::ConfigDialog(Configuration& config, FolderPickerDialog& picker, QWidget* parent)
    : QDialog(parent), config_(config), picker_(picker) {
  setObjectName(QStringLiteral("TfrmConfig"));
  setWindowTitle(QStringLiteral("Configuration..."));
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  setFixedSize(397, 360);
  BuildControls();
  LoadFromConfiguration();
}

void ConfigDialog::BuildControls() {
  auto* contactsGroup =
      new QGroupBox(QStringLiteral("Scan Contacts Folder and create contacts thumbnails pictures"), this);
  contactsGroup->setObjectName(QStringLiteral("GroupBox2"));
  contactsGroup->setGeometry(25, 24, 352, 105);
  contactsSubFolders_ = MakeCheckBox(QStringLiteral("cbContactsSubFolders"),
                                     QStringLiteral("Scan contacts folder subfolders as well"),
                                     {17, 26, 305, 17}, contactsGroup);
  QPushButton* contactsButton = MakeButton(QStringLiteral("Button2"), QStringLiteral("Contacts Folder:"),
                                           {17, 57, 138, 25}, contactsGroup);
  contactsFolder_ = MakeFolderBox(QStringLiteral("rcbContactsFolder"), {161, 59, 178, 21}, contactsGroup);

  auto* scanGroup = new QGroupBox(QStringLiteral("Scan Folder Configuration:"), this);
  scanGroup->setObjectName(QStringLiteral("GroupBox1"));
  scanGroup->setGeometry(25, 152, 352, 153);
  includeUnknown_ =
      MakeCheckBox(QStringLiteral("cbIncludeUnknown"),
                   QStringLiteral("Include messages from contacts that aren't in my addressbook"),
                   {17, 27, 317, 17}, scanGroup);
  subFolders_ = MakeCheckBox(QStringLiteral("cbSubFolders"), QStringLiteral("Scan subfolders as well"),
                             {17, 50, 305, 17}, scanGroup);
  QPushButton* scanButton =
      MakeButton(QStringLiteral("Button1"), QStringLiteral("Scan Folder:"), {17, 81, 138, 25}, scanGroup);
  folderToScan_ = MakeFolderBox(QStringLiteral("rcbFolderToScan"), {161, 83, 173, 21}, scanGroup);

  limit_ = new QLineEdit(scanGroup);
  limit_->setObjectName(QStringLiteral("LabeledEdit1"));
  limit_->setGeometry(161, 112, 161, 21);
  // Whole numbers only, so that neither the settings file nor the scan ever meets anything else.
  limit_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), limit_));
  auto* limitLabel = new QLabel(QStringLiteral("Messages to Scan in Folder"), scanGroup);
  limitLabel->setObjectName(QStringLiteral("EditLabel"));
  limitLabel->setBuddy(limit_);
  limitLabel->adjustSize();
  limitLabel->move(161 - 10 - limitLabel->width(), 112 + (21 - limitLabel->height()) / 2);
  upDown_ = new UpDownArrows(scanGroup);
  upDown_->setObjectName(QStringLiteral("UpDown1"));
  upDown_->setGeometry(322, 112, 16, 21);

  QPushButton* cancel =
      MakeButton(QStringLiteral("Button4"), QStringLiteral("&Cancel"), {221, 320, 75, 25}, this);
  QPushButton* ok = MakeButton(QStringLiteral("Button3"), QStringLiteral("&OK"), {302, 320, 75, 25}, this);

  const QList<QWidget*> tabOrder = {
      ok,     cancel,  includeUnknown_, subFolders_,    scanButton,         folderToScan_,
      limit_, upDown_, contactsFolder_, contactsButton, contactsSubFolders_};
  for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i) setTabOrder(tabOrder[i], tabOrder[i + 1]);
  ok->setFocus();

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(scanButton, &QPushButton::clicked, this, &ConfigDialog::Button1Click);
  connect(contactsButton, &QPushButton::clicked, this, &ConfigDialog::Button2Click);
  connect(upDown_, &UpDownArrows::stepped, this, &ConfigDialog::StepLimit);

  // Every change goes into the configuration at once: runs read it live.
  connect(contactsSubFolders_, &QCheckBox::toggled, this,
          [this](bool on) { config_.ContactsSubFolders = on; });
  connect(includeUnknown_, &QCheckBox::toggled, this, [this](bool on) { config_.IncludeUnknown = on; });
  connect(subFolders_, &QCheckBox::toggled, this, [this](bool on) { config_.ScanSubFolders = on; });
  connect(folderToScan_, &QComboBox::editTextChanged, this,
          [this](const QString& text) { config_.FolderName = text; });
  connect(contactsFolder_, &QComboBox::editTextChanged, this,
          [this](const QString& text) { config_.ContactsFolderName = text; });
  connect(limit_, &QLineEdit::textEdited, this,
          [this](const QString& text) { ParseLimit(text, &config_.MessageLimit); });
  // A box left empty (or holding too large a number) shows the limit in force again.
  connect(limit_, &QLineEdit::editingFinished, this, [this] {
    int number = 0;
    if (!ParseLimit(limit_->text(), &number) || number != config_.MessageLimit)
      limit_->setText(QString::number(config_.MessageLimit));
  });
}

void ConfigDialog::LoadFromConfiguration() {
  contactsSubFolders_->setChecked(config_.ContactsSubFolders);
  includeUnknown_->setChecked(config_.IncludeUnknown);
  subFolders_->setChecked(config_.ScanSubFolders);
  folderToScan_->setEditText(config_.FolderName);
  contactsFolder_->setEditText(config_.ContactsFolderName);
  limit_->setText(QString::number(config_.MessageLimit));
}

void ConfigDialog::StepLimit(int delta) {
  int current = config_.MessageLimit;
  ParseLimit(limit_->text(), &current);
  const int stepped = std::clamp(current + delta, kLimitMinimum, kLimitMaximum);
  config_.MessageLimit = stepped;
  limit_->setText(QString::number(stepped));
}

void ConfigDialog::Button1Click() {
  // Anything but Cancel takes the picker's current choice.
  if (picker_.exec() == QDialog::Rejected) return;
  config_.FolderToScanEntryID = picker_.FSelectedEntryID();
  config_.FolderToScanStoreID = picker_.FSelectedStoreID();
  config_.FolderName = picker_.SelectedName();
  folderToScan_->setEditText(config_.FolderName);
}

void ConfigDialog::Button2Click() {
  if (picker_.exec() == QDialog::Rejected) return;
  config_.ContactsFolderToScanEntryID = picker_.FSelectedEntryID();
  config_.ContactsFolderToScanStoreID = picker_.FSelectedStoreID();
  config_.ContactsFolderName = picker_.SelectedName();
  contactsFolder_->setEditText(config_.ContactsFolderName);
  if (!contactsRun_) return;

  // The dialog stays open but unusable while the run works; it keeps the folder just set whatever
  // the run's outcome.
  contactsRunning_ = true;
  setEnabled(false);
  QString failure;
  try {
    contactsRun_();
  } catch (const Error& e) {
    failure = e.message();
  } catch (const std::exception& e) {
    failure = QString::fromLocal8Bit(e.what());
  }
  setEnabled(true);
  contactsRunning_ = false;
  if (QWidget* button = findChild<QPushButton*>(QStringLiteral("Button2"))) button->setFocus();
  if (!failure.isEmpty()) ShowError(failure);
}

void ConfigDialog::ShowError(const QString& text) {
  QMessageBox::critical(this, QStringLiteral("Feedwell"), text);
}

void ConfigDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      event->accept();  // Escape closes nothing: only the buttons and the close box do
      return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
      if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void ConfigDialog::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) LoadFromConfiguration();
  QDialog::showEvent(event);
}

void ConfigDialog::closeEvent(QCloseEvent* event) {
  if (contactsRunning_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace feedwell::app
