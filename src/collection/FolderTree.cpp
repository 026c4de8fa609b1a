#include "collection/FolderTree.h"

#include <algorithm>
#include <exception>
#include <tuple>

namespace feedwell {
namespace {

void CollectPaths(const std::vector<FolderTree::Node>& nodes, const QString& prefix,
                  QVector<FolderTree::Path>& out) {
  for (const FolderTree::Node& node : nodes) {
    const QString path = prefix.isEmpty() ? node.name : prefix + u'/' + node.name;
    out.append({path, node.name, node.entry});
    CollectPaths(node.children, path, out);
  }
}

int CountNodes(const std::vector<FolderTree::Node>& nodes) {
  int count = 0;
  for (const FolderTree::Node& node : nodes) count += 1 + CountNodes(node.children);
  return count;
}

qsizetype CommonPrefix(const QString& a, const QString& b) {
  const qsizetype n = std::min(a.size(), b.size());
  qsizetype i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Levenshtein distance over UTF-16 code units, two rows.
qsizetype EditDistance(const QString& a, const QString& b) {
  std::vector<qsizetype> previous(b.size() + 1), current(b.size() + 1);
  for (qsizetype j = 0; j <= b.size(); ++j) previous[j] = j;
  for (qsizetype i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (qsizetype j = 1; j <= b.size(); ++j) {
      const qsizetype substitute = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitute});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

}  // namespace

void FolderTree::Build(mailstore::Application& app) {
  std::unique_ptr<mailstore::Namespace> mapi = app.GetNamespace(QStringLiteral("MAPI"));
  mapi->Logon(QString(), QString(), false, false);
  std::unique_ptr<mailstore::FolderCollection> stores = mapi->Folders();
  AddFolderNodes(*stores, nullptr);
}

// Each folder is read inside a guard: whatever fails for one folder (or below it) is dropped and
// costs only that folder's remaining steps. Only the collection's own Count and Item raise to the
// caller, which for a subfolder list is the guard of the folder that owns it. Folders keep the
// store's order.
void FolderTree::AddFolderNodes(mailstore::FolderCollection& folders, Node* parent) {
  const int count = folders.Count();
  for (int index = 1; index <= count; ++index) {
    std::unique_ptr<mailstore::Folder> folder = folders.Item(index);
    try {
      const int store = AddStoreID(folder->StoreID());
      const QString entryId = folder->EntryID();
      entries_.append({entryId, store});
      const int entry = static_cast<int>(entries_.size() - 1);
      std::vector<Node>& siblings = parent ? parent->children : roots_;
      siblings.push_back({folder->Name(), entry, {}});
      // The reference is taken again: the recursion below only grows the new node's children.
      Node& node = siblings.back();
      std::unique_ptr<mailstore::FolderCollection> subfolders = folder->Folders();
      AddFolderNodes(*subfolders, &node);
    } catch (const std::exception&) {
      // Dropped on purpose: one unreadable folder must not hide the others.
    }
  }
}

int FolderTree::AddStoreID(const QString& storeId) {
  for (qsizetype i = 0; i < stores_.size(); ++i) {
    if (stores_[i].compare(storeId, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  }
  stores_.append(storeId);
  return static_cast<int>(stores_.size() - 1);
}

QString FolderTree::StoreIdOf(int entry) const {
  if (entry < 0 || entry >= entries_.size()) return QString();
  return stores_.value(entries_[entry].store);
}

QVector<FolderTree::Path> FolderTree::Paths() const {
  QVector<Path> out;
  CollectPaths(roots_, QString(), out);
  return out;
}

int FolderTree::NodeCount() const {
  return CountNodes(roots_);
}

QStringList ClosestFolderPaths(const QVector<FolderTree::Path>& paths, const QString& wanted, int limit) {
  // Only the start of a very long text matters for the ranking; it keeps the distance cheap.
  constexpr qsizetype kCompared = 256;
  const QString folded = wanted.left(kCompared).toCaseFolded();
  struct Ranked {
    bool sameIgnoringCase;
    bool tailMatches;  // the path ends in the wanted text after a "/" (the store name left out)
    qsizetype prefix;
    qsizetype distance;
    qsizetype order;
  };
  std::vector<Ranked> ranked;
  ranked.reserve(paths.size());
  for (qsizetype i = 0; i < paths.size(); ++i) {
    const QString candidate = paths[i].path.left(kCompared).toCaseFolded();
    const bool same = paths[i].path.compare(wanted, Qt::CaseInsensitive) == 0;
    const bool tail = paths[i].path.endsWith(u'/' + wanted, Qt::CaseInsensitive);
    ranked.push_back({same, tail, CommonPrefix(candidate, folded), EditDistance(candidate, folded), i});
  }
  std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    return std::make_tuple(!a.sameIgnoringCase, !a.tailMatches, -a.prefix, a.distance, a.order) <
           std::make_tuple(!b.sameIgnoringCase, !b.tailMatches, -b.prefix, b.distance, b.order);
  });
  QStringList out;
  for (const Ranked& r : ranked) {
    if (out.size() >= limit) break;
    out.append(paths[r.order].path);
  }
  return out;
}

}  // namespace feedwell
