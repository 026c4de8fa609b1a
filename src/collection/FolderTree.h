#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <vector>

#include "mailstore/MailStore.h"

namespace feedwell {

// The folder picker's data: every folder of every store of a mail store, read once. Each folder
// that could be identified has an entry (its entry identifier and the index of its store); each
// folder whose name could be read has a node. Entries are never removed or reordered, so a node's
// entry index always finds its folder. Folders are listed in the order the store lists them.
class FolderTree {
 public:
  struct Entry {
    QString entryId;
    int store = 0;  // index in StoresID()
  };
  struct Node {
    QString name;
    int entry = 0;  // index in FoldersEntryID()
    std::vector<Node> children;
  };
  // A folder by its path: the store's (root folder's) name and the folder names joined by "/".
  struct Path {
    QString path;
    QString name;
    int entry = 0;
  };

  // Logs on to the "MAPI" namespace of `app` (empty profile and password, no dialog, no new
  // session, never logged off) and reads the folder tree of every store. A failure while
  // connecting, logging on, listing the stores or fetching a store's root folder raises Error;
  // what was read before it stays. Below that, a folder's failures are dropped for that folder
  // alone: no store or entry identifier leaves it out, no name keeps its entry without a node, no
  // subfolder list keeps its node without (further) children.
  void Build(mailstore::Application& app);

  // Reads `folders` and their subfolders under `parent` (null: the top level). Raises when the
  // collection's count or one of its folders cannot be fetched.
  void AddFolderNodes(mailstore::FolderCollection& folders, Node* parent);

  // The index of `storeId` in StoresID(), compared without regard to letter case; appended when new.
  int AddStoreID(const QString& storeId);

  const QVector<Entry>& FoldersEntryID() const { return entries_; }
  const QStringList& StoresID() const { return stores_; }
  const std::vector<Node>& roots() const { return roots_; }

  QString EntryIdOf(int entry) const { return entries_.value(entry).entryId; }
  QString StoreIdOf(int entry) const;

  // Every node's path, depth first in tree order.
  QVector<Path> Paths() const;
  int NodeCount() const;

 private:
  QVector<Entry> entries_;
  QStringList stores_;
  std::vector<Node> roots_;
};

// The closest paths to `wanted`, best first, at most `limit`: a path that `wanted` names without
// regard to letter case, then those ending in "/" + `wanted`, then those sharing the longest leading
// part, then by edit distance.
QStringList ClosestFolderPaths(const QVector<FolderTree::Path>& paths, const QString& wanted, int limit);

}  // namespace feedwell
