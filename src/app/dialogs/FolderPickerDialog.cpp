#include "app/dialogs/FolderPickerDialog.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace feedwell::app {
namespace {

constexpr int kEntryRole = Qt::UserRole;

void AddItems(const std::vector<FolderTree::Node>& nodes, QTreeWidgetItem* parent, QTreeWidget* tree) {
  for (const FolderTree::Node& node : nodes) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
    item->setText(0, node.name);
    item->setData(0, kEntryRole, node.entry);
    AddItems(node.children, item, tree);
  }
}

}  // namespace

FolderPickerDialog::FolderPickerDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TDialogSelectMAPIFolder"));
  setWindowTitle(QStringLiteral("Select Folder"));
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  setFixedSize(302, 268);

  tree1_ = new QTreeWidget(this);
  tree1_->setObjectName(QStringLiteral("TreeView1"));
  tree1_->setGeometry(16, 8, 264, 157);
  tree1_->setHeaderHidden(true);
  tree1_->setColumnCount(1);
  tree1_->setIndentation(19);
  tree1_->setRootIsDecorated(true);
  tree1_->setSortingEnabled(false);
  tree1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree1_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree1_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree1_->setAllColumnsShowFocus(true);
  tree1_->header()->setStretchLastSection(true);
  // The choice follows clicks only; a release on the viewport comes after the press selected.
  tree1_->viewport()->installEventFilter(this);

  auto* label1 = new QLabel(QStringLiteral("Selected Folder:"), this);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->move(16, 188);
  label1->adjustSize();

  label2_ = new QLabel(QStringLiteral("---"), this);
  label2_->setObjectName(QStringLiteral("Label2"));
  label2_->setGeometry(100, 188, 190, label1->height());
  label2_->setTextFormat(Qt::PlainText);

  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("Button2"));
  cancel->setGeometry(122, 226, 75, 25);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* select = new QPushButton(QStringLiteral("&Select"), this);
  select->setObjectName(QStringLiteral("Button1"));
  select->setGeometry(203, 226, 75, 25);
  connect(select, &QPushButton::clicked, this, &QDialog::accept);
}

void FolderPickerDialog::LoadFolders(mailstore::Application& app) {
  FolderTree tree;
  try {
    tree.Build(app);
  } catch (...) {
    SetFolderTree(std::move(tree));
    throw;
  }
  SetFolderTree(std::move(tree));
}

void FolderPickerDialog::SetFolderTree(FolderTree tree) {
  tree_ = std::move(tree);
  tree1_->clear();
  AddItems(tree_.roots(), nullptr, tree1_);
  tree1_->collapseAll();
  selectedEntryId_.clear();
  selectedStoreId_.clear();
  label2_->setText(QStringLiteral("---"));
}

QString FolderPickerDialog::SelectedName() const {
  return label2_->text();
}

void FolderPickerDialog::TreeView1Click() {
  const QList<QTreeWidgetItem*> selected = tree1_->selectedItems();
  if (selected.isEmpty()) return;
  const QTreeWidgetItem* item = selected.first();
  const int entry = item->data(0, kEntryRole).toInt();
  label2_->setText(item->text(0));
  selectedEntryId_ = tree_.EntryIdOf(entry);
  selectedStoreId_ = tree_.StoreIdOf(entry);
}

bool FolderPickerDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree1_->viewport() && event->type() == QEvent::MouseButtonRelease) TreeView1Click();
  return QDialog::eventFilter(watched, event);
}

}  // namespace feedwell::app
