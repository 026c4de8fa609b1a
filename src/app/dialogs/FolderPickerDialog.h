#pragma once

#include <QDialog>

#include "collection/FolderTree.h"
#include "mailstore/MailStore.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace feedwell::app {

// The folder picker ("TDialogSelectMAPIFolder"): every folder of every store as one tree, read once
// at start. One instance serves both folder buttons of the configuration dialog and keeps its tree,
// highlight and choice from one showing to the next. "&Select" accepts, "&Cancel" and the close box
// reject. The choice is the folder last clicked: moving the highlight with the keys alone keeps it.
class FolderPickerDialog : public QDialog {
  Q_OBJECT

 public:
  explicit FolderPickerDialog(QWidget* parent = nullptr);

  // Reads the folder tree of `app` and shows it. A failure at the top level (connection, logon, the
  // list of stores) raises Error after the folders read so far are shown; the caller reports it.
  void LoadFolders(mailstore::Application& app);
  // Shows `tree` (replacing what was shown) and forgets the choice.
  void SetFolderTree(FolderTree tree);
  const FolderTree& folderTree() const { return tree_; }

  // The choice: the caption of Label2 ("---" until the first click) and the two identifiers
  // (empty until the first click).
  QString SelectedName() const;
  const QString& FSelectedEntryID() const { return selectedEntryId_; }
  const QString& FSelectedStoreID() const { return selectedStoreId_; }

  // A click in the tree: the selected node, if any, becomes the choice.
  void TreeView1Click();

  QTreeWidget& treeView() const { return *tree1_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FolderTree tree_;
  QString selectedEntryId_;
  QString selectedStoreId_;
  QTreeWidget* tree1_ = nullptr;
  QLabel* label2_ = nullptr;
};

}  // namespace feedwell::app
