#include <gtest/gtest.h>

#include <ostream>

#include <functional>

#include "collection/FolderTree.h"
#include "common/Error.h"
#include "mailstore/MemoryStore.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace feedwell {
namespace {

using mailstore::MemoryFolder;
using mailstore::MemoryStore;

// "name" for a leaf, "name(child child …)" for a node with children; tree order.
QString Outline(const std::vector<FolderTree::Node>& nodes) {
  QStringList parts;
  for (const FolderTree::Node& node : nodes) {
    parts.append(node.children.empty() ? node.name : node.name + u'(' + Outline(node.children) + u')');
  }
  return parts.join(u' ');
}

QStringList EntryIds(const FolderTree& tree) {
  QStringList ids;
  for (const FolderTree::Entry& entry : tree.FoldersEntryID()) ids.append(entry.entryId);
  return ids;
}

const FolderTree::Node* FindNode(const std::vector<FolderTree::Node>& nodes, const QString& name) {
  for (const FolderTree::Node& node : nodes) {
    if (node.name == name) return &node;
    if (const FolderTree::Node* found = FindNode(node.children, name)) return found;
  }
  return nullptr;
}

// Two stores with the same folder names: A { Inbox { Sub1, Sub2 }, Archive }, B { Inbox, Archive }.
void AddTwoStores(MemoryStore& store) {
  MemoryFolder& a = store.AddStore(QStringLiteral("A"), QStringLiteral("store-a"));
  MemoryFolder& inbox = a.AddFolder(QStringLiteral("Inbox"));
  inbox.AddFolder(QStringLiteral("Sub1"));
  inbox.AddFolder(QStringLiteral("Sub2"));
  a.AddFolder(QStringLiteral("Archive"));
  MemoryFolder& b = store.AddStore(QStringLiteral("B"), QStringLiteral("store-b"));
  b.AddFolder(QStringLiteral("Inbox"));
  b.AddFolder(QStringLiteral("Archive"));
}

TEST(FolderTree, ListsFoldersInTheStoresOrderWithOneEntryPerFolder) {
  MemoryStore store;
  AddTwoStores(store);
  auto app = store.MakeApplication();
  FolderTree tree;
  tree.Build(*app);

  EXPECT_EQ(Outline(tree.roots()), QStringLiteral("A(Inbox(Sub1 Sub2) Archive) B(Inbox Archive)"));
  EXPECT_EQ(EntryIds(tree),
            (QStringList{QStringLiteral("A"), QStringLiteral("A/Inbox"), QStringLiteral("A/Inbox/Sub1"),
                         QStringLiteral("A/Inbox/Sub2"), QStringLiteral("A/Archive"), QStringLiteral("B"),
                         QStringLiteral("B/Inbox"), QStringLiteral("B/Archive")}));
  // Many folders of one store share one store entry.
  EXPECT_EQ(tree.StoresID(), (QStringList{QStringLiteral("store-a"), QStringLiteral("store-b")}));
  // The same name in two stores: separate nodes, separate identifiers, different stores.
  const FolderTree::Node& inboxA = tree.roots()[0].children[0];
  const FolderTree::Node& inboxB = tree.roots()[1].children[0];
  EXPECT_EQ(tree.EntryIdOf(inboxA.entry), QStringLiteral("A/Inbox"));
  EXPECT_EQ(tree.EntryIdOf(inboxB.entry), QStringLiteral("B/Inbox"));
  EXPECT_EQ(tree.StoreIdOf(inboxA.entry), QStringLiteral("store-a"));
  EXPECT_EQ(tree.StoreIdOf(inboxB.entry), QStringLiteral("store-b"));
  // Logged on once, never off.
  EXPECT_EQ(store.logonCount(), 1);
  EXPECT_EQ(store.logoffCount(), 0);
}

TEST(FolderTree, StoreIdsDifferingOnlyInCaseShareOneEntry) {
  struct Case {
    QStringList added;
    QList<int> indexes;
    QStringList stores;
  };
  const Case cases[] = {
      {{QStringLiteral("Store:X"), QStringLiteral("store:x"), QStringLiteral("STORE:X")},
       {0, 0, 0},
       {QStringLiteral("Store:X")}},
      {{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("B")},
       {0, 1, 0, 1},
       {QStringLiteral("a"), QStringLiteral("b")}},
      {{QStringLiteral("Straße"), QStringLiteral("STRASSE")},
       {0, 1},
       {QStringLiteral("Straße"), QStringLiteral("STRASSE")}},
      {{QString(), QString()}, {0, 0}, {QString()}},
  };
  for (const Case& c : cases) {
    FolderTree tree;
    QList<int> indexes;
    for (const QString& id : c.added) indexes.append(tree.AddStoreID(id));
    EXPECT_EQ(indexes, c.indexes) << c.added.join(u',').toStdString();
    EXPECT_EQ(tree.StoresID(), c.stores);
  }

  // Through the store: two roots whose store ids differ in case only.
  MemoryStore store;
  store.AddStore(QStringLiteral("One"), QStringLiteral("pst:Main")).AddFolder(QStringLiteral("Inbox"));
  store.AddStore(QStringLiteral("Two"), QStringLiteral("PST:MAIN"));
  auto app = store.MakeApplication();
  FolderTree tree;
  tree.Build(*app);
  EXPECT_EQ(tree.StoresID(), QStringList{QStringLiteral("pst:Main")});
  EXPECT_EQ(tree.StoreIdOf(tree.roots()[1].entry), QStringLiteral("pst:Main"));
}

// One folder's failure costs that folder alone; everything around it is read.
TEST(FolderTree, DropsAFoldersErrorsForThatFolderOnly) {
  struct Case {
    const char* operation;
    const char* target;
    const char* outline;
    bool entryKept;
  };
  const Case cases[] = {
      {"Folder.StoreID", "A/Inbox", "A(Archive) B(Inbox Archive)", false},
      {"Folder.EntryID", "A/Inbox", "A(Archive) B(Inbox Archive)", false},
      // The name is read after the entry is made: the entry stays, without node or subfolders.
      {"Folder.Name", "A/Inbox", "A(Archive) B(Inbox Archive)", true},
      {"Folder.Folders", "A/Inbox", "A(Inbox Archive) B(Inbox Archive)", true},
      {"FolderCollection.Count", "A/Inbox", "A(Inbox Archive) B(Inbox Archive)", true},
      {"FolderCollection.Item", "A/Inbox", "A(Inbox Archive) B(Inbox Archive)", true},
      // A leaf's failure below a root leaves the root's other children.
      {"Folder.Name", "A/Inbox/Sub1", "A(Inbox(Sub2) Archive) B(Inbox Archive)", true},
      // A whole store's root folder.
      {"Folder.StoreID", "B", "A(Inbox(Sub1 Sub2) Archive)", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.operation) + " on " + c.target);
    MemoryStore store;
    AddTwoStores(store);
    store.FailOn(QLatin1String(c.operation), QStringLiteral("refused"), QLatin1String(c.target));
    auto app = store.MakeApplication();
    FolderTree tree;
    ASSERT_NO_THROW(tree.Build(*app));
    EXPECT_EQ(Outline(tree.roots()), QLatin1String(c.outline));
    EXPECT_EQ(EntryIds(tree).contains(QLatin1String(c.target)), c.entryKept);
    // Every node still finds its own folder.
    for (const FolderTree::Path& p : tree.Paths()) {
      EXPECT_TRUE(tree.EntryIdOf(p.entry).endsWith(p.name)) << p.path.toStdString();
    }
  }
}

// A collection that yields the wrapped one's first `good` folders and then fails.
class FailingAfter : public mailstore::FolderCollection {
 public:
  FailingAfter(std::unique_ptr<mailstore::FolderCollection> inner, int good)
      : inner_(std::move(inner)), good_(good) {}
  int Count() override { return inner_->Count(); }
  std::unique_ptr<mailstore::Folder> Item(int index) override {
    if (index > good_) throw Error(QStringLiteral("store %1 went away").arg(index));
    return inner_->Item(index);
  }

 private:
  std::unique_ptr<mailstore::FolderCollection> inner_;
  int good_;
};

TEST(FolderTree, TopLevelFailuresRaiseAndKeepWhatWasRead) {
  struct Case {
    const char* operation;
    const char* message;
  };
  const Case cases[] = {
      {"Application.GetNamespace", "cannot reach the mail store"},
      {"Namespace.Logon", "logon refused"},
      {"Namespace.Folders", "no stores"},
      {"FolderCollection.Count", "count failed"},
      {"FolderCollection.Item", "item failed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operation);
    MemoryStore store;
    AddTwoStores(store);
    store.FailOn(QLatin1String(c.operation), QLatin1String(c.message), QString(), 1);
    auto app = store.MakeApplication();
    FolderTree tree;
    try {
      tree.Build(*app);
      ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), QLatin1String(c.message));
    }
    EXPECT_TRUE(tree.roots().empty());
  }

  // The second store's root cannot be fetched: the first store's folders stay.
  MemoryStore store;
  AddTwoStores(store);
  auto app = store.MakeApplication();
  auto mapi = app->GetNamespace(QStringLiteral("MAPI"));
  FailingAfter tops(mapi->Folders(), 1);
  FolderTree tree;
  EXPECT_THROW(tree.AddFolderNodes(tops, nullptr), Error);
  EXPECT_EQ(Outline(tree.roots()), QStringLiteral("A(Inbox(Sub1 Sub2) Archive)"));
}

TEST(FolderTree, KeepsNamesOfAnyScriptAndJoinsPathsWithSlashes) {
  const QStringList names = {
      QStringLiteral("דואר נכנס"), QStringLiteral("Входящие"), QStringLiteral("受信トレイ"),
      QStringLiteral("a/b"),       QStringLiteral(".hidden"),  QStringLiteral(" blanks  "),
      QStringLiteral(".."),        QStringLiteral("x.y.z"),    QStringLiteral("😀")};
  MemoryStore store;
  MemoryFolder& root = store.AddStore(QStringLiteral("Mail"));
  for (const QString& name : names) root.AddFolder(name).AddFolder(QStringLiteral("Sub"));
  auto app = store.MakeApplication();
  FolderTree tree;
  tree.Build(*app);

  const QVector<FolderTree::Path> paths = tree.Paths();
  ASSERT_EQ(paths.size(), 1 + 2 * names.size());
  for (qsizetype i = 0; i < names.size(); ++i) {
    EXPECT_EQ(paths[1 + 2 * i].path, QStringLiteral("Mail/") + names[i]);
    EXPECT_EQ(paths[1 + 2 * i].name, names[i]);
    EXPECT_EQ(paths[2 + 2 * i].path, QStringLiteral("Mail/") + names[i] + QStringLiteral("/Sub"));
    EXPECT_EQ(tree.EntryIdOf(paths[1 + 2 * i].entry), QStringLiteral("Mail/") + names[i]);
  }
}

TEST(FolderTree, ReadsFiveThousandFolders) {
  MemoryStore store;
  MemoryFolder& root = store.AddStore(QStringLiteral("Big"));
  int expected = 1;
  for (int i = 0; i < 500; ++i) {
    MemoryFolder& parent = root.AddFolder(QStringLiteral("F%1").arg(i, 4, 10, QLatin1Char('0')));
    ++expected;
    for (int j = 0; j < 9; ++j, ++expected) parent.AddFolder(QStringLiteral("S%1").arg(j));
  }
  auto app = store.MakeApplication();
  FolderTree tree;
  tree.Build(*app);
  EXPECT_EQ(expected, 5001);
  EXPECT_EQ(tree.NodeCount(), expected);
  EXPECT_EQ(tree.FoldersEntryID().size(), expected);
  EXPECT_EQ(tree.roots()[0].children.front().name, QStringLiteral("F0000"));
  EXPECT_EQ(tree.roots()[0].children.back().name, QStringLiteral("F0499"));
  EXPECT_EQ(tree.StoresID().size(), 1);
}

TEST(FolderTree, SuggestsTheClosestPaths) {
  const QStringList all = {
      QStringLiteral("Mail"),         QStringLiteral("Mail/Inbox"), QStringLiteral("Mail/Inbox/Lists"),
      QStringLiteral("Mail/Archive"), QStringLiteral("Contacts"),   QStringLiteral("Contacts/Work")};
  QVector<FolderTree::Path> paths;
  for (int i = 0; i < all.size(); ++i) paths.append({all[i], all[i].section(u'/', -1), i});

  struct Case {
    QString wanted;
    QString first;
  };
  const Case cases[] = {
      {QStringLiteral("mail/inbox"), QStringLiteral("Mail/Inbox")},        // letter case only
      {QStringLiteral("Mail/Inbx"), QStringLiteral("Mail/Inbox")},         // a typo
      {QStringLiteral("Mail/Archiv"), QStringLiteral("Mail/Archive")},     // cut short
      {QStringLiteral("Contacts/Wrok"), QStringLiteral("Contacts/Work")},  // swapped letters
      {QStringLiteral("Inbox"), QStringLiteral("Mail/Inbox")},             // the store name missing
  };
  for (const Case& c : cases) {
    const QStringList closest = ClosestFolderPaths(paths, c.wanted, 3);
    ASSERT_EQ(closest.size(), 3);
    EXPECT_EQ(closest.first(), c.first) << c.wanted.toStdString();
  }
  EXPECT_TRUE(ClosestFolderPaths({}, QStringLiteral("x"), 3).isEmpty());
  EXPECT_EQ(ClosestFolderPaths(paths, QString(10000, u'x'), 2).size(), 2);
}

}  // namespace
}  // namespace feedwell
