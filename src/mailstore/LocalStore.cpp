#include "mailstore/LocalStore.h"

#include <QStringList>

#include "common/Error.h"
#include "mailstore/LocalItems.h"
#include "mailstore/MaildirLayout.h"

namespace feedwell::mailstore {
namespace {

using Roots = std::shared_ptr<const std::vector<StoreRoot>>;

class LocalFolder : public Folder {
 public:
  LocalFolder(FolderLocation location, QString storeId)
      : location_(std::move(location)), storeId_(std::move(storeId)) {}

  QString Name() override { return location_.name; }
  QString EntryID() override { return location_.entryId; }
  QString StoreID() override { return storeId_; }
  std::unique_ptr<FolderCollection> Folders() override;
  std::unique_ptr<ItemCollection> Items() override {
    return MakeLocalItemCollection(ListFolderItems(location_));
  }

 private:
  FolderLocation location_;
  QString storeId_;
};

class LocalFolderCollection : public FolderCollection {
 public:
  LocalFolderCollection(std::vector<FolderLocation> folders, std::vector<QString> storeIds)
      : folders_(std::move(folders)), storeIds_(std::move(storeIds)) {}

  int Count() override { return static_cast<int>(folders_.size()); }
  std::unique_ptr<Folder> Item(int index) override {
    if (index < 1 || index > Count())
      throw Error(QStringLiteral("there is no folder %1 (the collection holds %2)").arg(index).arg(Count()));
    const auto at = static_cast<size_t>(index - 1);
    return std::make_unique<LocalFolder>(folders_[at], storeIds_[at]);
  }

 private:
  std::vector<FolderLocation> folders_;
  std::vector<QString> storeIds_;
};

std::unique_ptr<FolderCollection> LocalFolder::Folders() {
  std::vector<FolderLocation> children = ListSubfolders(location_);
  std::vector<QString> storeIds(children.size(), storeId_);
  return std::make_unique<LocalFolderCollection>(std::move(children), std::move(storeIds));
}

class LocalNamespace : public Namespace {
 public:
  explicit LocalNamespace(Roots roots) : roots_(std::move(roots)) {}

  // The local store needs no session: the folders are read when asked for.
  void Logon(const QString&, const QString&, bool, bool) override {}
  void Logoff() override {}

  std::unique_ptr<FolderCollection> Folders() override {
    std::vector<FolderLocation> tops;
    std::vector<QString> storeIds;
    for (const StoreRoot& root : *roots_) {
      tops.push_back(RootFolder(root.path));
      storeIds.push_back(root.storeId);
    }
    return std::make_unique<LocalFolderCollection>(std::move(tops), std::move(storeIds));
  }

  std::unique_ptr<Folder> GetFolderFromID(const QString& entryId, const QString& storeId) override {
    if (const StoreRoot* root = FindRoot(storeId)) {
      if (auto location = ResolveFolder(root->path, entryId))
        return std::make_unique<LocalFolder>(std::move(*location), root->storeId);
    }
    throw Error(QStringLiteral("no folder matches entry id \"%1\" in store \"%2\"").arg(entryId, storeId));
  }

 private:
  // The same store id, else one that differs only in letter case.
  const StoreRoot* FindRoot(const QString& storeId) const {
    for (const StoreRoot& root : *roots_) {
      if (root.storeId == storeId) return &root;
    }
    for (const StoreRoot& root : *roots_) {
      if (root.storeId.compare(storeId, Qt::CaseInsensitive) == 0) return &root;
    }
    return nullptr;
  }

  Roots roots_;
};

class LocalApplication : public Application {
 public:
  explicit LocalApplication(Roots roots) : roots_(std::move(roots)) {}
  std::unique_ptr<Namespace> GetNamespace(const QString& type) override {
    if (type.compare(QLatin1String("MAPI"), Qt::CaseInsensitive) != 0)
      throw Error(QStringLiteral("the mail store knows no namespace \"%1\"").arg(type));
    return std::make_unique<LocalNamespace>(roots_);
  }

 private:
  Roots roots_;
};

}  // namespace

std::unique_ptr<Application> MakeLocalStore(std::vector<StoreRoot> roots) {
  return std::make_unique<LocalApplication>(std::make_shared<const std::vector<StoreRoot>>(std::move(roots)));
}

std::unique_ptr<Application> MakeLocalStore(const QStringList& rootPaths) {
  std::vector<StoreRoot> roots;
  for (const QString& path : rootPaths) roots.push_back({path, path});
  return MakeLocalStore(std::move(roots));
}

}  // namespace feedwell::mailstore
