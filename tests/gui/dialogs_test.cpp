#include <gtest/gtest.h>

#include <ostream>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "app/dialogs/ConfigDialog.h"
#include "app/dialogs/ConfigurationCycle.h"
#include "app/dialogs/FolderPickerDialog.h"
#include "common/Error.h"
#include "mailstore/MemoryStore.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "support/TempHome.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace feedwell::app {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "dialogs_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Runs `action` on the next modal window that comes up (a dialog's exec, a message box), so that a
// test can answer it; the action runs inside that window's event loop. A window that is modal at
// the call counts only once it has closed and comes up again.
void OnNextModal(std::function<void(QWidget*)> action) {
  QPointer<QWidget> before = QApplication::activeModalWidget();
  auto* timer = new QTimer(&App());
  timer->setInterval(5);
  auto left = std::make_shared<bool>(before.isNull());
  QObject::connect(timer, &QTimer::timeout, [timer, before, left, action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!*left) {
      if (modal == before && before && before->isVisible()) return;
      *left = true;
    }
    if (!modal || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    action(modal);
  });
  timer->start();
}

void Click(QWidget* window, const char* button) {
  QPushButton* b = window->findChild<QPushButton*>(QLatin1String(button));
  ASSERT_NE(b, nullptr) << button;
  b->click();
}

// Store A { Inbox { Lists }, Archive }, store B { Inbox }: the same folder name in two stores.
struct Fixture {
  Fixture() {
    mailstore::MemoryFolder& a = store.AddStore(QStringLiteral("A"), QStringLiteral("store-a"));
    a.AddFolder(QStringLiteral("Inbox")).AddFolder(QStringLiteral("Lists"));
    a.AddFolder(QStringLiteral("Archive"));
    store.AddStore(QStringLiteral("B"), QStringLiteral("store-b")).AddFolder(QStringLiteral("Inbox"));
    app = store.MakeApplication();
    picker.LoadFolders(*app);
  }

  // Clicks the node at `path` ("A/Inbox") with the mouse, as the user does.
  void ClickNode(const QString& path) {
    QTreeWidget& tree = picker.treeView();
    QTreeWidgetItem* item = nullptr;
    for (const QString& name : path.split(u'/')) {
      QTreeWidgetItem* parent = item;
      item = nullptr;
      const int count = parent ? parent->childCount() : tree.topLevelItemCount();
      for (int i = 0; i < count && !item; ++i) {
        QTreeWidgetItem* child = parent ? parent->child(i) : tree.topLevelItem(i);
        if (child->text(0) == name) item = child;
      }
      ASSERT_NE(item, nullptr) << path.toStdString();
      if (parent) parent->setExpanded(true);
    }
    tree.scrollToItem(item);
    const QRect rect = tree.visualItemRect(item);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, rect.center());
  }

  // Shows the picker through `button` of the configuration dialog and answers it with `answer`
  // ("Button1" &Select, "Button2" &Cancel, "close" the close box) after clicking `node`.
  void Choose(ConfigDialog& dialog, void (ConfigDialog::*button)(), const char* answer,
              const QString& node = {}) {
    OnNextModal([this, answer, node](QWidget* modal) {
      EXPECT_EQ(modal, &picker);
      if (!node.isEmpty()) ClickNode(node);
      if (QLatin1String(answer) == QLatin1String("close")) {
        modal->close();
      } else {
        Click(modal, answer);
      }
    });
    (dialog.*button)();
  }

  QApplication& application = App();  // before any widget
  mailstore::MemoryStore store;
  std::unique_ptr<mailstore::Application> app;
  FolderPickerDialog picker;
};

QStringList TopLevelOutline(const QTreeWidget& tree) {
  QStringList out;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = tree.topLevelItem(i);
    QString line = item->text(0);
    for (int j = 0; j < item->childCount(); ++j) line += u' ' + item->child(j)->text(0);
    out.append(line);
  }
  return out;
}

TEST(FolderPicker, ShowsTheStoresInOrderCollapsedWithItsControls) {
  Fixture f;
  EXPECT_EQ(f.picker.objectName(), QStringLiteral("TDialogSelectMAPIFolder"));
  EXPECT_EQ(f.picker.size(), QSize(302, 268));
  const struct {
    const char* name;
    QString text;
    QRect place;
  } controls[] = {
      {"Label1", QStringLiteral("Selected Folder:"), {16, 188, -1, -1}},
      {"Label2", QStringLiteral("---"), {100, 188, -1, -1}},
      {"Button2", QStringLiteral("&Cancel"), {122, 226, 75, 25}},
      {"Button1", QStringLiteral("&Select"), {203, 226, 75, 25}},
  };
  for (const auto& c : controls) {
    QWidget* w = f.picker.findChild<QWidget*>(QLatin1String(c.name));
    ASSERT_NE(w, nullptr) << c.name;
    const QString text =
        qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text() : qobject_cast<QPushButton*>(w)->text();
    EXPECT_EQ(text, c.text) << c.name;
    EXPECT_EQ(w->pos(), c.place.topLeft()) << c.name;
    if (c.place.width() > 0) {
      EXPECT_EQ(w->size(), c.place.size()) << c.name;
    }
  }
  QTreeWidget* tree = f.picker.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
  ASSERT_EQ(tree, &f.picker.treeView());
  EXPECT_EQ(tree->geometry(), QRect(16, 8, 264, 157));
  EXPECT_EQ(tree->indentation(), 19);
  EXPECT_EQ(TopLevelOutline(*tree),
            (QStringList{QStringLiteral("A Inbox Archive"), QStringLiteral("B Inbox")}));
  EXPECT_FALSE(tree->topLevelItem(0)->isExpanded());
}

TEST(FolderPicker, SelectBeforeAnyClickReportsNothingChosen) {
  Fixture f;
  OnNextModal([](QWidget* modal) { Click(modal, "Button1"); });
  EXPECT_EQ(f.picker.exec(), QDialog::Accepted);
  EXPECT_EQ(f.picker.SelectedName(), QStringLiteral("---"));
  EXPECT_TRUE(f.picker.FSelectedEntryID().isEmpty());
  EXPECT_TRUE(f.picker.FSelectedStoreID().isEmpty());
}

TEST(FolderPicker, KeepsTheClickedFolderBetweenShowingsAndIgnoresKeyboardMoves) {
  Fixture f;
  OnNextModal([&f](QWidget* modal) {
    f.ClickNode(QStringLiteral("B/Inbox"));
    Click(modal, "Button2");  // cancelled, but the click stays the choice
  });
  EXPECT_EQ(f.picker.exec(), QDialog::Rejected);

  OnNextModal([&f](QWidget* modal) {
    // The highlight moves by key, which chooses nothing.
    f.picker.treeView().setFocus();
    QTest::keyClick(&f.picker.treeView(), Qt::Key_Up);
    EXPECT_NE(f.picker.treeView().currentItem()->text(0), QStringLiteral("Inbox"));
    Click(modal, "Button1");
  });
  EXPECT_EQ(f.picker.exec(), QDialog::Accepted);
  EXPECT_EQ(f.picker.SelectedName(), QStringLiteral("Inbox"));
  EXPECT_EQ(f.picker.FSelectedEntryID(), QStringLiteral("B/Inbox"));
  EXPECT_EQ(f.picker.FSelectedStoreID(), QStringLiteral("store-b"));

  // A click below the last node keeps the selected node as the choice.
  OnNextModal([&f](QWidget* modal) {
    f.ClickNode(QStringLiteral("A/Inbox/Lists"));
    QTreeWidget& tree = f.picker.treeView();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(20, tree.viewport()->height() - 2));
    modal->close();  // the close box: Cancel
  });
  EXPECT_EQ(f.picker.exec(), QDialog::Rejected);
  EXPECT_EQ(f.picker.FSelectedEntryID(), QStringLiteral("A/Inbox/Lists"));
  EXPECT_EQ(f.picker.SelectedName(), QStringLiteral("Lists"));
}

TEST(FolderPicker, ATopLevelFailureRaisesOnceAndKeepsAnEmptyTree) {
  App();
  mailstore::MemoryStore store;
  store.AddStore(QStringLiteral("A")).AddFolder(QStringLiteral("Inbox"));
  store.FailOn(QStringLiteral("Application.GetNamespace"),
               QStringLiteral("The mail store cannot be reached."));
  auto app = store.MakeApplication();
  FolderPickerDialog picker;
  EXPECT_THROW(picker.LoadFolders(*app), Error);
  EXPECT_EQ(picker.treeView().topLevelItemCount(), 0);
  OnNextModal([](QWidget* modal) { Click(modal, "Button1"); });
  EXPECT_EQ(picker.exec(), QDialog::Accepted);  // still usable, offering nothing
  EXPECT_EQ(picker.SelectedName(), QStringLiteral("---"));
}

TEST(ConfigDialog, HasTheControlsCaptionsPlacesAndStartingStates) {
  Fixture f;
  Configuration config;
  ConfigDialog dialog(config, f.picker);
  EXPECT_EQ(dialog.objectName(), QStringLiteral("TfrmConfig"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configuration..."));
  EXPECT_EQ(dialog.size(), QSize(397, 360));
  const struct {
    const char* name;
    const char* parent;
    QString caption;
    QRect place;
  } controls[] = {
      {"GroupBox2",
       "TfrmConfig",
       QStringLiteral("Scan Contacts Folder and create contacts thumbnails pictures"),
       {25, 24, 352, 105}},
      {"cbContactsSubFolders",
       "GroupBox2",
       QStringLiteral("Scan contacts folder subfolders as well"),
       {17, 26, 305, 17}},
      {"Button2", "GroupBox2", QStringLiteral("Contacts Folder:"), {17, 57, 138, 25}},
      {"rcbContactsFolder", "GroupBox2", QString(), {161, 59, 178, -1}},
      {"GroupBox1", "TfrmConfig", QStringLiteral("Scan Folder Configuration:"), {25, 152, 352, 153}},
      {"cbIncludeUnknown",
       "GroupBox1",
       QStringLiteral("Include messages from contacts that aren't in my addressbook"),
       {17, 27, 317, 17}},
      {"cbSubFolders", "GroupBox1", QStringLiteral("Scan subfolders as well"), {17, 50, 305, 17}},
      {"Button1", "GroupBox1", QStringLiteral("Scan Folder:"), {17, 81, 138, 25}},
      {"rcbFolderToScan", "GroupBox1", QString(), {161, 83, 173, -1}},
      {"LabeledEdit1", "GroupBox1", QStringLiteral("100"), {161, 112, 161, -1}},
      {"UpDown1", "GroupBox1", QString(), {322, 112, 16, 21}},
      {"Button4", "TfrmConfig", QStringLiteral("&Cancel"), {221, 320, 75, 25}},
      {"Button3", "TfrmConfig", QStringLiteral("&OK"), {302, 320, 75, 25}},
  };
  for (const auto& c : controls) {
    SCOPED_TRACE(c.name);
    QWidget* w = dialog.findChild<QWidget*>(QLatin1String(c.name));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), QLatin1String(c.parent));
    EXPECT_EQ(w->pos(), c.place.topLeft());
    EXPECT_EQ(w->width(), c.place.width());
    if (c.place.height() > 0) {
      EXPECT_EQ(w->height(), c.place.height());
    }
    QString caption;
    if (auto* g = qobject_cast<QGroupBox*>(w)) caption = g->title();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) caption = b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) caption = e->text();
    if (auto* cb = qobject_cast<QComboBox*>(w)) {
      caption = cb->currentText();
      EXPECT_TRUE(cb->isEditable());
      EXPECT_EQ(cb->count(), 0);
    }
    EXPECT_EQ(caption, c.caption);
  }
  auto* label = dialog.findChild<QLabel*>(QStringLiteral("EditLabel"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QStringLiteral("Messages to Scan in Folder"));
  EXPECT_EQ(label->geometry().right() + 1 + 10, 161);  // on the box's left, 10 pixels away
  EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("cbContactsSubFolders"))->isChecked());
  EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("cbSubFolders"))->isChecked());
  EXPECT_FALSE(dialog.findChild<QCheckBox*>(QStringLiteral("cbIncludeUnknown"))->isChecked());
}

TEST(ConfigDialog, TabOrderStartsAtOkAndKeysDoNotClose) {
  Fixture f;
  Configuration config;
  ConfigDialog dialog(config, f.picker);
  const QStringList expected = {QStringLiteral("Button3"),
                                QStringLiteral("Button4"),
                                QStringLiteral("cbIncludeUnknown"),
                                QStringLiteral("cbSubFolders"),
                                QStringLiteral("Button1"),
                                QStringLiteral("rcbFolderToScan"),
                                QStringLiteral("LabeledEdit1"),
                                QStringLiteral("UpDown1"),
                                QStringLiteral("rcbContactsFolder"),
                                QStringLiteral("Button2"),
                                QStringLiteral("cbContactsSubFolders")};

  OnNextModal([&](QWidget* modal) {
    QStringList order;
    for (int i = 0; i < expected.size(); ++i) {
      QWidget* focus = modal->focusWidget();
      // An editable combo box's line edit stands for the box.
      while (focus && focus->objectName().isEmpty()) focus = focus->parentWidget();
      order.append(focus ? focus->objectName() : QStringLiteral("(none)"));
      QTest::keyClick(modal->focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, expected);
    // Escape does nothing; Enter on a box presses no button; Enter on a focused button presses it.
    QTest::keyClick(modal->focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(modal->isVisible());
    modal->findChild<QWidget*>(QStringLiteral("LabeledEdit1"))->setFocus();
    QTest::keyClick(modal->focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(modal->isVisible());
    modal->findChild<QWidget*>(QStringLiteral("Button4"))->setFocus();
    QTest::keyClick(modal->focusWidget(), Qt::Key_Return);
  });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);

  // A showing starts from the configuration as it is now; the close box is Cancel.
  config.FolderName = QStringLiteral("Changed meanwhile");
  QString shownName;
  OnNextModal([&](QWidget* modal) {
    shownName = modal->findChild<QComboBox*>(QStringLiteral("rcbFolderToScan"))->currentText();
    modal->close();
  });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_EQ(shownName, QStringLiteral("Changed meanwhile"));
}

TEST(ConfigDialog, FolderButtonsTakeThePickersChoiceUnlessCancelled) {
  Fixture f;
  Configuration config;
  config.FolderToScanEntryID = QStringLiteral("before");
  config.FolderToScanStoreID = QStringLiteral("before-store");
  config.FolderName = QStringLiteral("Before");
  ConfigDialog dialog(config, f.picker);
  auto* scanBox = dialog.findChild<QComboBox*>(QStringLiteral("rcbFolderToScan"));
  auto* contactsBox = dialog.findChild<QComboBox*>(QStringLiteral("rcbContactsFolder"));

  // Cancel (button or close box) leaves everything as it was, even after a click in the tree.
  for (const char* answer : {"Button2", "close"}) {
    f.Choose(dialog, &ConfigDialog::Button1Click, answer, QStringLiteral("A/Archive"));
    EXPECT_EQ(config.FolderToScanEntryID, QStringLiteral("before")) << answer;
    EXPECT_EQ(config.FolderToScanStoreID, QStringLiteral("before-store"));
    EXPECT_EQ(config.FolderName, QStringLiteral("Before"));
    EXPECT_EQ(scanBox->currentText(), QStringLiteral("Before"));
  }

  // Select takes the folder last clicked.
  f.Choose(dialog, &ConfigDialog::Button1Click, "Button1", QStringLiteral("B/Inbox"));
  EXPECT_EQ(config.FolderToScanEntryID, QStringLiteral("B/Inbox"));
  EXPECT_EQ(config.FolderToScanStoreID, QStringLiteral("store-b"));
  EXPECT_EQ(scanBox->currentText(), QStringLiteral("Inbox"));
  EXPECT_EQ(config.FolderName, QStringLiteral("Inbox"));

  // The same folder through the other button, without a new click: both pairs alike.
  f.Choose(dialog, &ConfigDialog::Button2Click, "Button1");
  EXPECT_EQ(config.ContactsFolderToScanEntryID, config.FolderToScanEntryID);
  EXPECT_EQ(config.ContactsFolderToScanStoreID, config.FolderToScanStoreID);
  EXPECT_EQ(contactsBox->currentText(), QStringLiteral("Inbox"));

  // A name typed into a box changes the name only.
  scanBox->setFocus();
  scanBox->lineEdit()->selectAll();
  QTest::keyClicks(scanBox->lineEdit(), QStringLiteral("My / Inbox"));
  EXPECT_EQ(config.FolderName, QStringLiteral("My / Inbox"));
  EXPECT_EQ(config.FolderToScanEntryID, QStringLiteral("B/Inbox"));
  EXPECT_EQ(config.FolderToScanStoreID, QStringLiteral("store-b"));
  EXPECT_EQ(scanBox->count(), 0);
}

TEST(ConfigDialog, SelectBeforeAnyClickSetsNoFolder) {
  Fixture f;
  Configuration config;
  ConfigDialog dialog(config, f.picker);
  f.Choose(dialog, &ConfigDialog::Button1Click, "Button1");
  EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("rcbFolderToScan"))->currentText(),
            QStringLiteral("---"));
  EXPECT_TRUE(config.FolderToScanEntryID.isEmpty());
  EXPECT_TRUE(config.FolderToScanStoreID.isEmpty());
}

TEST(ConfigDialog, ContactsButtonRunsTheContactsRunWithTheNewFolderAndShowsItsError) {
  Fixture f;
  Configuration config;
  ConfigDialog dialog(config, f.picker);
  dialog.findChild<QCheckBox*>(QStringLiteral("cbContactsSubFolders"))->setChecked(false);
  int runs = 0;
  QString seenEntry;
  bool seenSubFolders = true;
  bool enabledDuringRun = true;
  dialog.SetContactsRun([&] {
    ++runs;
    seenEntry = config.ContactsFolderToScanEntryID;
    seenSubFolders = config.ContactsSubFolders;
    enabledDuringRun = dialog.isEnabled();
    throw Error(QStringLiteral("The contacts folder cannot be read."));
  });

  // Cancel in the picker: no run.
  f.Choose(dialog, &ConfigDialog::Button2Click, "Button2", QStringLiteral("A/Archive"));
  EXPECT_EQ(runs, 0);

  QString shown;
  OnNextModal([&](QWidget* modal) {
    EXPECT_EQ(modal, &f.picker);
    f.ClickNode(QStringLiteral("A/Inbox"));
    OnNextModal([&](QWidget* box) {
      if (auto* message = qobject_cast<QMessageBox*>(box)) shown = message->text();
      box->close();
    });
    Click(modal, "Button1");
  });
  dialog.Button2Click();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(seenEntry, QStringLiteral("A/Inbox"));
  EXPECT_FALSE(seenSubFolders);
  EXPECT_FALSE(enabledDuringRun);
  EXPECT_EQ(shown, QStringLiteral("The contacts folder cannot be read."));
  EXPECT_TRUE(dialog.isEnabled());
  EXPECT_EQ(config.ContactsFolderToScanEntryID, QStringLiteral("A/Inbox"));
  EXPECT_EQ(config.ContactsFolderToScanStoreID, QStringLiteral("store-a"));
  EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("rcbContactsFolder"))->currentText(),
            QStringLiteral("Inbox"));
}

TEST(ConfigDialog, MessageLimitTakesWholeNumbersOnly) {
  Fixture f;
  Configuration config;
  ConfigDialog dialog(config, f.picker);
  auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("LabeledEdit1"));
  auto* arrows = dialog.findChild<UpDownArrows*>(QStringLiteral("UpDown1"));
  ASSERT_NE(arrows, nullptr);

  // Typing: letters and signs never get in; what gets in is the live limit.
  struct Typed {
    const char* keys;
    const char* shown;
    int limit;
  };
  const Typed typed[] = {
      {"250", "250", 250}, {"abc", "", 100},  {"1a2b", "12", 12},
      {"-5", "5", 5},      {"1.5", "15", 15}, {"99999999999", "9999999999", 999999999},
  };
  for (const Typed& t : typed) {
    SCOPED_TRACE(t.keys);
    config.MessageLimit = 100;
    dialog.LoadFromConfiguration();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QLatin1String(t.keys));
    EXPECT_EQ(edit->text(), QLatin1String(t.shown));
    EXPECT_EQ(config.MessageLimit, t.limit);
    // Leaving the box shows the limit in force.
    emit edit->editingFinished();
    EXPECT_EQ(edit->text(), QString::number(config.MessageLimit));
  }

  // The arrows step within 0 and 1000 from the number in the box; a larger stored number shows as is.
  struct Step {
    int from;
    QToolButton* button;
    int to;
  };
  const Step steps[] = {
      {999, &arrows->upButton(), 1000}, {1000, &arrows->upButton(), 1000}, {0, &arrows->downButton(), 0},
      {100, &arrows->downButton(), 99}, {5000, &arrows->upButton(), 1000},
  };
  for (const Step& s : steps) {
    config.MessageLimit = s.from;
    dialog.LoadFromConfiguration();
    EXPECT_EQ(edit->text(), QString::number(s.from));
    s.button->click();
    EXPECT_EQ(edit->text(), QString::number(s.to)) << s.from;
    EXPECT_EQ(config.MessageLimit, s.to);
  }
}

class Cycle : public ::testing::Test {
 protected:
  Cycle() : dialog(config, f.picker) {
    cycle.dialog = &dialog;
    cycle.settingsPath = home.home().GetSettingsFileName();
    cycle.ask = [this](QWidget*, const QString& text) {
      questions.append(text);
      return answers.isEmpty() ? false : answers.takeFirst();
    };
    cycle.showError = [this](QWidget*, const QString& text) { errors.append(text); };
  }

  Fixture f;
  test::TempHome home{false};
  Configuration config;
  ConfigDialog dialog;
  ConfigurationCycle cycle;
  QStringList questions;
  QList<bool> answers;
  QStringList errors;
};

TEST_F(Cycle, FirstStartAsksTheQuestionAndNoEndsIt) {
  LoadSettingsAndAsk(cycle);
  ASSERT_EQ(questions.size(), 1);
  EXPECT_EQ(questions[0].split(u'\n').size(), 7);
  EXPECT_FALSE(questions[0].contains(u'\r'));
  EXPECT_EQ(config.FolderToScanEntryID, QStringLiteral("0"));
  EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("rcbFolderToScan"))->currentText(),
            QStringLiteral("---"));
  EXPECT_FALSE(QFile::exists(cycle.settingsPath));
}

TEST_F(Cycle, CancelAsksAgainUntilNoAndYesShowsTheDialogAgain) {
  QList<bool> replies = {true, true, false};
  int shown = 0;
  cycle.ask = [&](QWidget*, const QString& text) {
    questions.append(text);
    const bool yes = replies.takeFirst();
    // Yes shows the dialog, which is closed with its close box (Cancel).
    if (yes) {
      OnNextModal([&](QWidget* modal) {
        ++shown;
        modal->close();
      });
    }
    return yes;
  };
  LoadSettingsAndAsk(cycle);
  EXPECT_EQ(shown, 2);  // Yes, cancel, Yes, cancel, No
  EXPECT_EQ(questions.size(), 3);
  EXPECT_FALSE(QFile::exists(cycle.settingsPath));
}

TEST_F(Cycle, CancelPutsBackWhatTheFileHoldsAndKeepsAContactsFolderItLacks) {
  config.FolderName = QStringLiteral("Stored");
  config.FolderToScanEntryID = QStringLiteral("A/Inbox");
  config.MessageLimit = 5000;
  SaveSettings(cycle.settingsPath, config, nullptr);  // no contacts folder yet
  IniFile(cycle.settingsPath)
      .WriteString(QStringLiteral("DEFAULTS"), QStringLiteral("SCANSUBFOLDERS"), QStringLiteral("2"));
  LoadSettingsAndAsk(cycle);  // asks, the answer is No
  auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("LabeledEdit1"));
  EXPECT_EQ(edit->text(), QStringLiteral("5000"));
  questions.clear();

  OnNextModal([&](QWidget* modal) {
    auto* box = modal->findChild<QComboBox*>(QStringLiteral("rcbFolderToScan"));
    box->setEditText(QStringLiteral("Typed"));
    modal->findChild<QCheckBox*>(QStringLiteral("cbSubFolders"))->setChecked(false);
    f.Choose(dialog, &ConfigDialog::Button2Click, "Button1", QStringLiteral("B/Inbox"));
    Click(modal, "Button4");
  });
  RunConfigurationCycle(cycle);

  EXPECT_EQ(config.FolderName, QStringLiteral("Stored"));
  EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("rcbFolderToScan"))->currentText(),
            QStringLiteral("Stored"));
  EXPECT_TRUE(config.ScanSubFolders);
  EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("cbSubFolders"))->isChecked());
  // The file stores an empty contacts folder: the stored empty value wins and the question comes.
  EXPECT_TRUE(config.ContactsFolderToScanEntryID.isEmpty());
  EXPECT_EQ(questions.size(), 1);
}

TEST_F(Cycle, OkSavesWhatTheDialogShowsAndAsksNothing) {
  OnNextModal([&](QWidget* modal) {
    f.Choose(dialog, &ConfigDialog::Button1Click, "Button1", QStringLiteral("A/Inbox/Lists"));
    modal->findChild<QComboBox*>(QStringLiteral("rcbFolderToScan"))->setEditText(QStringLiteral("Renamed"));
    Click(modal, "Button3");
  });
  RunConfigurationCycle(cycle);
  EXPECT_TRUE(questions.isEmpty());
  const IniFile ini(cycle.settingsPath);
  EXPECT_EQ(ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("FOLDERNAME"), {}),
            QStringLiteral("Renamed"));
  EXPECT_EQ(ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("FOLDERSCANID"), {}),
            QStringLiteral("A/Inbox/Lists"));
  EXPECT_EQ(ini.ReadString(QStringLiteral("DEFAULTS"), QStringLiteral("STOREID"), {}),
            QStringLiteral("store-a"));
  EXPECT_EQ(
      ini.ReadString(QStringLiteral("CONTACTS"), QStringLiteral("FOLDERSCANID"), QStringLiteral("absent")),
      QString());

  // A refused write is shown, not raised.
  cycle.settingsPath = home.Path(QStringLiteral("missing/feedwell.ini"));
  OnNextModal([](QWidget* modal) { Click(modal, "Button3"); });
  RunConfigurationCycle(cycle);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Unable to write to "))) << errors[0].toStdString();
}

}  // namespace
}  // namespace feedwell::app
