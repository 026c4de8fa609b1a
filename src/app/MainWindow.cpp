#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ButtonIcons.h"
#include "app/dialogs/ConfigDialog.h"
#include "app/dialogs/ConfigurationCycle.h"
#include "app/dialogs/FolderPickerDialog.h"
#include "collection/ContactThumbs.h"
#include "collection/FolderScan.h"
#include "collection/Startup.h"
#include "collection/StoreProfile.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "page/PageGenerator.h"
#include "view/ActivityLog.h"
#include "view/BrowserPane.h"
#include "view/CellPainting.h"
#include "view/MessageGrid.h"
#include "view/ShellOpen.h"
#include "view/StatusStrip.h"

namespace feedwell::app {
namespace {

constexpr int kScanRunning = 99;

// A widget inside a frame of `margin` pixels on every side.
QWidget* WithMargin(QWidget* content, int margin, const QString& name = {}) {
  auto* frame = new QWidget;
  if (!name.isEmpty()) frame->setObjectName(name);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(margin, margin, margin, margin);
  layout->setSpacing(0);
  layout->addWidget(content);
  return frame;
}

QPushButton* CommandButton(const QString& name, const QString& caption, CommandPicture picture) {
  auto* button = new QPushButton(CommandIcon(picture), caption);
  button->setObjectName(name);
  button->setFixedSize(120, 29);
  button->setIconSize(QSize(16, 16));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

MainWindow::MainWindow(const Home& home, QWidget* parent) : QMainWindow(parent), session_(home) {
  setObjectName(QStringLiteral("TForm1"));
  setWindowTitle(QStringLiteral("Feedwell"));
  setWindowIcon(WindowIcon());
  QFont face = font();
  face.setFamilies({QStringLiteral("Tahoma"), face.family()});
  face.setPixelSize(11);
  setFont(face);
  BuildLayout();
  resize(731, 525);
}

MainWindow::~MainWindow() {
  // The widgets read the session's table, so they go first.
  log_.reset();
  delete takeCentralWidget();
}

void MainWindow::BuildLayout() {
  auto* central = new QWidget;
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);

  // Button panel: the three run commands from the left, "Open Page" at the right edge.
  auto* panel = new QWidget;
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFixedHeight(35);
  auto* buttons = new QHBoxLayout(panel);
  buttons->setContentsMargins(3, 3, 3, 3);
  buttons->setSpacing(6);
  scanButton_ =
      CommandButton(QStringLiteral("Button5"), QStringLiteral("Scan && GenHTML"), CommandPicture::Scan);
  generateButton_ =
      CommandButton(QStringLiteral("Button3"), QStringLiteral("Generate HTML"), CommandPicture::Generate);
  configButton_ =
      CommandButton(QStringLiteral("Button2"), QStringLiteral("Configuration..."), CommandPicture::Configure);
  openPageButton_ =
      CommandButton(QStringLiteral("Button4"), QStringLiteral("Open Page"), CommandPicture::OpenPage);
  buttons->addWidget(scanButton_);
  buttons->addWidget(generateButton_);
  buttons->addWidget(configButton_);
  buttons->addStretch(1);
  buttons->addWidget(openPageButton_);
  outer->addWidget(WithMargin(panel, 5));

  // Grid and browser pane, with the splitter between them.
  grid_ = new view::MessageGrid(session_.table);
  auto* gridBox = new QWidget;
  gridBox->setObjectName(QStringLiteral("cxGrid1"));
  auto* gridLayout = new QVBoxLayout(gridBox);
  gridLayout->setContentsMargins(0, 0, 0, 0);
  gridLayout->addWidget(grid_);
  browser_ = new view::BrowserPane(session_.home.DataDir());
  browser_->setMinimumHeight(20);
  splitter_ = new QSplitter(Qt::Vertical);
  splitter_->setObjectName(QStringLiteral("Splitter1"));
  splitter_->setHandleWidth(6);
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(WithMargin(gridBox, 5));
  splitter_->addWidget(WithMargin(browser_, 5));
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 0);
  splitter_->setSizes({294, 160});
  outer->addWidget(splitter_, 1);

  strip_ = new view::StatusStrip;
  strip_->setObjectName(QStringLiteral("GradientLabel1"));
  strip_->setFixedHeight(20);
  outer->addWidget(strip_);
  setCentralWidget(central);

  log_ = std::make_unique<view::ActivityLog>(*browser_);

  scanAction_ = new QAction(QStringLiteral("Scan"), this);
  scanAction_->setObjectName(QStringLiteral("actScan"));
  addAction(scanAction_);
  connect(scanAction_, &QAction::triggered, this, &MainWindow::actScanExecute);
  connect(scanButton_, &QPushButton::clicked, scanAction_, &QAction::trigger);
  connect(generateButton_, &QPushButton::clicked, this, &MainWindow::Button3Click);
  connect(configButton_, &QPushButton::clicked, this, &MainWindow::Button2Click);
  connect(openPageButton_, &QPushButton::clicked, this, &MainWindow::Button4Click);
  connect(grid_, &view::MessageGrid::focusedRecordChanged, this,
          &MainWindow::cxGrid1DBTableView1FocusedRecordChanged);

  grid_->proxy().SetColourRule([this](const MessageRecord& record) {
    const view::CellPaint paint = view::PaintRuleFor(Now(), record.ReceivedDate, record.UpdateDate,
                                                     session_.FUpdateLastNew, strip_->width());
    view::CellColours colours;
    if (paint.fromStrip) colours.background = strip_->ColorAt(paint.stripX, strip_->height() - 2);
    colours.red = paint.red;
    return colours;
  });
}

void MainWindow::FormCreate() {
  try {
    strip_->setText(StartSession(session_));
  } catch (const Error& error) {
    ShowError(error.message());
  } catch (const std::exception& error) {
    ShowError(QString::fromLocal8Bit(error.what()));
  }
  // As a bound grid does when its table opens: the newest message is focused and previewed.
  grid_->FocusFirstRow();
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Once, after the window is on the screen: later showings and activations do not repeat it.
  if (!activated_ && !event->spontaneous()) {
    activated_ = true;
    QTimer::singleShot(0, this, &MainWindow::FormActivate);
  }
}

void MainWindow::FormActivate() {
  RunGuarded([this] { LoadSettingsAndAsk(); });
}

void MainWindow::CreateDialogs() {
  picker_ = new FolderPickerDialog(this);
  RunGuarded([this] { picker_->LoadFolders(Store()); });
  configDialog_ = new ConfigDialog(session_.config, *picker_, this);
  // Runs inside the configuration command, which already holds the session; its error is shown by
  // the dialog, which stays open with the new folder set.
  configDialog_->SetContactsRun([this] { CreateContactsThumb(session_, *this, Store()); });
}

ConfigurationCycle MainWindow::Cycle() {
  ConfigurationCycle cycle;
  cycle.parent = this;
  cycle.dialog = configDialog_;
  cycle.columns = grid_;
  cycle.settingsPath = session_.home.GetSettingsFileName();
  return cycle;
}

void MainWindow::LoadSettingsAndAsk() {
  if (configDialog_) app::LoadSettingsAndAsk(Cycle());
}

void MainWindow::RunConfiguration() {
  if (configDialog_) RunConfigurationCycle(Cycle());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing in the middle of a run would leave the table unsaved; the run must end first.
  if (session_.busy) {
    SetStatusText(QStringLiteral("A run is in progress; the window closes once it has ended."));
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void MainWindow::Button2Click() {
  RunExclusive([this] { RunConfiguration(); });
}

void MainWindow::Button3Click() {
  RunExclusive([this] { GeneratePage(session_.home, session_.recordTemplate, *this); });
}

void MainWindow::Button4Click() {
  RunGuarded([this] { view::OpenWithShell(session_.home.PagePath()); });
}

void MainWindow::actScanExecute() {
  RunExclusive([this] { feedwell::actScanExecute(session_, *this, Store()); });
}

mailstore::Application& MainWindow::Store() {
  if (!store_) store_ = OpenProfileStore(session_.home);
  return *store_;
}

void MainWindow::cxGrid1DBTableView1FocusedRecordChanged() {
  if (session_.scanTag == kScanRunning) return;
  const MessageRecord* record = grid_->FocusedRecord();
  if (!record) return;
  const int row = grid_->proxy().SourceRow(grid_->currentIndex().row());
  session_.table.SetCurrentIndex(row);
  const QString html = record->MsgContent;  // the record may move while the pane loads
  log_->DropPending();
  RunGuarded([this, &html] { view::ShowHtml(*browser_, html); });
}

void MainWindow::RunExclusive(const std::function<void()>& command) {
  if (session_.busy) return;
  session_.busy = true;
  UpdateCommandStates();
  RunGuarded(command);
  session_.busy = false;
  // A run that failed half-way still gives the list back.
  while (grid_->IsSuspended()) grid_->ResumeDisplay();
  log_->Flush();
  UpdateCommandStates();
}

void MainWindow::RunGuarded(const std::function<void()>& command) {
  QString failure;
  try {
    command();
    return;
  } catch (const Error& error) {
    failure = error.message();
  } catch (const std::exception& error) {
    failure = QString::fromLocal8Bit(error.what());
  }
  ShowError(failure);
}

void MainWindow::UpdateCommandStates() {
  const bool idle = !session_.busy;
  scanAction_->setEnabled(idle);
  scanButton_->setEnabled(idle);
  generateButton_->setEnabled(idle);
  configButton_->setEnabled(idle);
}

void MainWindow::ShowError(const QString& text) {
  QMessageBox::critical(this, windowTitle(), text);
}

void MainWindow::SetStatusText(const QString& text) {
  strip_->setText(text);
}

void MainWindow::LogActivity(const QString& line) {
  log_->LogActivity(line);
}

void MainWindow::ClearActivityLog() {
  log_->Clear();
}

void MainWindow::SuspendList() {
  grid_->SuspendDisplay();
}

void MainWindow::ResumeList() {
  grid_->ResumeDisplay();
}

void MainWindow::FocusFirstRow() {
  grid_->FocusFirstRow();
}

QVector<PageRow> MainWindow::RowsInViewOrder() {
  return grid_->RowsInViewOrder();
}

void MainWindow::ProcessEvents() {
  QCoreApplication::processEvents();
}

void MainWindow::ShowMessage(const QString& text) {
  QMessageBox::information(this, windowTitle(), text);
}

}  // namespace feedwell::app
