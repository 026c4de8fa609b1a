#include "mailstore/MemoryStore.h"

#include <algorithm>

#include "common/Error.h"
#include "mailstore/CardImage.h"

namespace feedwell::mailstore {

struct MemoryStore::State {
  struct Failure {
    QString operation;
    QString message;
    QString target;
    int times;
  };
  std::vector<std::unique_ptr<MemoryFolder>> stores;
  std::vector<Failure> failures;
  int logons = 0;
  int logoffs = 0;
  QStringList calls;

  // Records the call, then raises when a failure is set for it.
  void Enter(const QString& operation, const QStringList& targets = {}) {
    calls.append(operation);
    for (Failure& failure : failures) {
      if (failure.times == 0 || failure.operation != operation) continue;
      if (!failure.target.isEmpty() && !targets.contains(failure.target)) continue;
      if (failure.times > 0) --failure.times;
      throw Error(failure.message);
    }
  }
};

namespace {

using State = MemoryStore::State;
using Kind = MemoryFolder::Item::Kind;

class MemoryStoreItem : public StoreItem {
 public:
  MemoryStoreItem(std::shared_ptr<State> state, const MemoryFolder* folder, size_t item, int position)
      : state_(std::move(state)), folder_(folder), item_(item), position_(position) {}

  DateTime SentOn() override { return Mail(QStringLiteral("StoreItem.SentOn")).sentOn; }
  DateTime ReceivedTime() override { return Mail(QStringLiteral("StoreItem.ReceivedTime")).receivedTime; }
  QString HTMLBody() override { return Mail(QStringLiteral("StoreItem.HTMLBody")).htmlBody; }
  QString SenderEmailAddress() override {
    return Mail(QStringLiteral("StoreItem.SenderEmailAddress")).senderEmailAddress;
  }
  QString EntryID() override { return Mail(QStringLiteral("StoreItem.EntryID")).entryId; }
  QString Subject() override { return Mail(QStringLiteral("StoreItem.Subject")).subject; }

  QString Email1Address() override { return Address(QStringLiteral("StoreItem.Email1Address"), 0); }
  QString Email2Address() override { return Address(QStringLiteral("StoreItem.Email2Address"), 1); }
  QString Email3Address() override { return Address(QStringLiteral("StoreItem.Email3Address"), 2); }

  void SaveBusinessCardImage(const QString& path) override {
    const MemoryContact& contact = Contact(QStringLiteral("StoreItem.SaveBusinessCardImage"));
    SaveBitmapFile(RenderBusinessCard(contact.name, contact.emails.value(0), contact.photo), path);
  }

 private:
  const MemoryFolder::Item& Data() const { return folder_->items().at(item_); }

  QStringList Targets() const { return {folder_->entryId(), Data().message.entryId}; }

  const MemoryMessage& Mail(const QString& operation) {
    state_->Enter(operation, Targets());
    if (Data().kind != Kind::Mail)
      throw Error(QStringLiteral("item %1 of %2 is not a mail message").arg(position_).arg(folder_->name()));
    return Data().message;
  }

  const MemoryContact& Contact(const QString& operation) {
    state_->Enter(operation, Targets());
    if (Data().kind != Kind::Contact)
      throw Error(QStringLiteral("item %1 of %2 is not a contact").arg(position_).arg(folder_->name()));
    return Data().contact;
  }

  QString Address(const QString& operation, int index) { return Contact(operation).emails.value(index); }

  std::shared_ptr<State> state_;
  const MemoryFolder* folder_;
  size_t item_;
  int position_;
};

class MemoryItemCollection : public ItemCollection {
 public:
  MemoryItemCollection(std::shared_ptr<State> state, const MemoryFolder* folder)
      : state_(std::move(state)), folder_(folder) {
    for (size_t i = 0; i < folder_->items().size(); ++i) order_.push_back(i);
  }

  void Sort(const QString& property, bool descending) override {
    state_->Enter(QStringLiteral("ItemCollection.Sort"), {folder_->entryId()});
    if (property.compare(QLatin1String("ReceivedTime"), Qt::CaseInsensitive) != 0)
      throw Error(
          QStringLiteral("the items of %1 cannot be sorted by \"%2\"").arg(folder_->name(), property));
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
      const DateTime left = folder_->items().at(a).message.receivedTime;
      const DateTime right = folder_->items().at(b).message.receivedTime;
      return descending ? left > right : left < right;
    });
  }

  int Count() override {
    state_->Enter(QStringLiteral("ItemCollection.Count"), {folder_->entryId()});
    return static_cast<int>(order_.size());
  }

  std::unique_ptr<StoreItem> Item(int index) override {
    QStringList targets{folder_->entryId()};
    if (index >= 1 && index <= static_cast<int>(order_.size()))
      targets.append(folder_->items().at(order_[index - 1]).message.entryId);
    state_->Enter(QStringLiteral("ItemCollection.Item"), targets);
    if (index < 1 || index > static_cast<int>(order_.size()))
      throw Error(QStringLiteral("%1 has no item %2 (it holds %3)")
                      .arg(folder_->name())
                      .arg(index)
                      .arg(order_.size()));
    return std::make_unique<MemoryStoreItem>(state_, folder_, order_[index - 1], index);
  }

 private:
  std::shared_ptr<State> state_;
  const MemoryFolder* folder_;
  std::vector<size_t> order_;
};

class MemoryFolderCollection;

class MemoryFolderView : public Folder {
 public:
  MemoryFolderView(std::shared_ptr<State> state, const MemoryFolder* folder)
      : state_(std::move(state)), folder_(folder) {}

  QString Name() override {
    state_->Enter(QStringLiteral("Folder.Name"), {folder_->entryId()});
    return folder_->name();
  }
  QString EntryID() override {
    state_->Enter(QStringLiteral("Folder.EntryID"), {folder_->entryId()});
    return folder_->entryId();
  }
  QString StoreID() override {
    state_->Enter(QStringLiteral("Folder.StoreID"), {folder_->entryId()});
    return folder_->storeId();
  }
  std::unique_ptr<FolderCollection> Folders() override;
  std::unique_ptr<ItemCollection> Items() override {
    state_->Enter(QStringLiteral("Folder.Items"), {folder_->entryId()});
    return std::make_unique<MemoryItemCollection>(state_, folder_);
  }

 private:
  std::shared_ptr<State> state_;
  const MemoryFolder* folder_;
};

class MemoryFolderCollection : public FolderCollection {
 public:
  MemoryFolderCollection(std::shared_ptr<State> state, QString owner,
                         std::vector<const MemoryFolder*> folders)
      : state_(std::move(state)), owner_(std::move(owner)), folders_(std::move(folders)) {}

  int Count() override {
    state_->Enter(QStringLiteral("FolderCollection.Count"), {owner_});
    return static_cast<int>(folders_.size());
  }
  std::unique_ptr<Folder> Item(int index) override {
    state_->Enter(QStringLiteral("FolderCollection.Item"), {owner_});
    if (index < 1 || index > static_cast<int>(folders_.size()))
      throw Error(
          QStringLiteral("there is no folder %1 (the collection holds %2)").arg(index).arg(folders_.size()));
    return std::make_unique<MemoryFolderView>(state_, folders_[index - 1]);
  }

 private:
  std::shared_ptr<State> state_;
  QString owner_;
  std::vector<const MemoryFolder*> folders_;
};

std::unique_ptr<FolderCollection> MemoryFolderView::Folders() {
  state_->Enter(QStringLiteral("Folder.Folders"), {folder_->entryId()});
  std::vector<const MemoryFolder*> children;
  for (const auto& child : folder_->folders()) children.push_back(child.get());
  return std::make_unique<MemoryFolderCollection>(state_, folder_->entryId(), std::move(children));
}

const MemoryFolder* FindFolder(const MemoryFolder& folder, const QString& entryId) {
  if (folder.entryId() == entryId) return &folder;
  for (const auto& child : folder.folders()) {
    if (const MemoryFolder* found = FindFolder(*child, entryId)) return found;
  }
  return nullptr;
}

class MemoryNamespace : public Namespace {
 public:
  explicit MemoryNamespace(std::shared_ptr<State> state) : state_(std::move(state)) {}

  void Logon(const QString&, const QString&, bool, bool) override {
    ++state_->logons;
    state_->Enter(QStringLiteral("Namespace.Logon"));
  }
  void Logoff() override {
    ++state_->logoffs;
    state_->Enter(QStringLiteral("Namespace.Logoff"));
  }
  std::unique_ptr<FolderCollection> Folders() override {
    state_->Enter(QStringLiteral("Namespace.Folders"));
    std::vector<const MemoryFolder*> tops;
    for (const auto& store : state_->stores) tops.push_back(store.get());
    return std::make_unique<MemoryFolderCollection>(state_, QString(), std::move(tops));
  }
  std::unique_ptr<Folder> GetFolderFromID(const QString& entryId, const QString& storeId) override {
    state_->Enter(QStringLiteral("Namespace.GetFolderFromID"), {entryId});
    for (const auto& store : state_->stores) {
      if (store->storeId().compare(storeId, Qt::CaseInsensitive) != 0) continue;
      if (const MemoryFolder* folder = FindFolder(*store, entryId))
        return std::make_unique<MemoryFolderView>(state_, folder);
    }
    throw Error(QStringLiteral("no folder matches entry id \"%1\" in store \"%2\"").arg(entryId, storeId));
  }

 private:
  std::shared_ptr<State> state_;
};

class MemoryApplication : public Application {
 public:
  explicit MemoryApplication(std::shared_ptr<State> state) : state_(std::move(state)) {}
  std::unique_ptr<Namespace> GetNamespace(const QString& type) override {
    state_->Enter(QStringLiteral("Application.GetNamespace"));
    if (type.compare(QLatin1String("MAPI"), Qt::CaseInsensitive) != 0)
      throw Error(QStringLiteral("the mail store knows no namespace \"%1\"").arg(type));
    return std::make_unique<MemoryNamespace>(state_);
  }

 private:
  std::shared_ptr<State> state_;
};

}  // namespace

MemoryFolder::MemoryFolder(QString name, QString entryId, QString storeId)
    : name_(std::move(name)), entryId_(std::move(entryId)), storeId_(std::move(storeId)) {}

MemoryFolder& MemoryFolder::AddFolder(const QString& name, const QString& entryId) {
  folders_.push_back(
      std::make_unique<MemoryFolder>(name, entryId.isEmpty() ? entryId_ + u'/' + name : entryId, storeId_));
  return *folders_.back();
}

MemoryFolder& MemoryFolder::AddMessage(const MemoryMessage& message) {
  items_.push_back({Kind::Mail, message, {}});
  return *this;
}

MemoryFolder& MemoryFolder::AddContact(const MemoryContact& contact) {
  items_.push_back({Kind::Contact, {}, contact});
  return *this;
}

MemoryFolder& MemoryFolder::AddOtherItem(DateTime receivedTime) {
  MemoryMessage timeOnly;
  timeOnly.receivedTime = receivedTime;
  items_.push_back({Kind::Other, timeOnly, {}});
  return *this;
}

MemoryStore::MemoryStore() : state_(std::make_shared<State>()) {}
MemoryStore::~MemoryStore() = default;

MemoryFolder& MemoryStore::AddStore(const QString& name, const QString& storeId) {
  state_->stores.push_back(std::make_unique<MemoryFolder>(
      name, name, storeId.isEmpty() ? QStringLiteral("store:") + name : storeId));
  return *state_->stores.back();
}

void MemoryStore::FailOn(const QString& operation, const QString& message, const QString& target, int times) {
  state_->failures.push_back({operation, message, target, times});
}

void MemoryStore::ClearFailures() {
  state_->failures.clear();
}

std::unique_ptr<Application> MemoryStore::MakeApplication() {
  return std::make_unique<MemoryApplication>(state_);
}

int MemoryStore::logonCount() const {
  return state_->logons;
}
int MemoryStore::logoffCount() const {
  return state_->logoffs;
}
QStringList MemoryStore::calls() const {
  return state_->calls;
}

}  // namespace feedwell::mailstore
