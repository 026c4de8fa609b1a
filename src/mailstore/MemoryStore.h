#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "mailstore/MailStore.h"

// A mail store held in memory and built in code, for tests: stores, nested folders, mail
// messages, contacts and items of neither kind. Any operation can be made to fail with a chosen
// message, and Logon/Logoff calls are counted. Changes made after an Application was handed out
// are seen by it at once.
namespace feedwell::mailstore {

struct MemoryMessage {
  QString entryId;
  DateTime sentOn = 0;
  DateTime receivedTime = 0;
  QString subject;
  QString senderEmailAddress;
  QString htmlBody;
};

struct MemoryContact {
  QString name;
  QStringList emails;  // the first three become Email1Address … Email3Address
  QImage photo;        // none: the card shows the initials
};

// One folder of the memory store. References stay valid while the MemoryStore lives.
class MemoryFolder {
 public:
  MemoryFolder(QString name, QString entryId, QString storeId);

  // A subfolder; its entry id defaults to this folder's id + "/" + name.
  MemoryFolder& AddFolder(const QString& name, const QString& entryId = {});
  MemoryFolder& AddMessage(const MemoryMessage& message);
  MemoryFolder& AddContact(const MemoryContact& contact);
  // An item that is neither a mail message nor a contact (a meeting, a distribution list):
  // every property raises.
  MemoryFolder& AddOtherItem(DateTime receivedTime = 0);

  const QString& name() const { return name_; }
  const QString& entryId() const { return entryId_; }
  const QString& storeId() const { return storeId_; }

  struct Item {
    enum class Kind { Mail, Contact, Other } kind;
    MemoryMessage message;
    MemoryContact contact;
  };
  const std::vector<std::unique_ptr<MemoryFolder>>& folders() const { return folders_; }
  const std::vector<Item>& items() const { return items_; }

 private:
  QString name_;
  QString entryId_;
  QString storeId_;
  std::vector<std::unique_ptr<MemoryFolder>> folders_;
  std::vector<Item> items_;
};

class MemoryStore {
 public:
  MemoryStore();
  ~MemoryStore();
  MemoryStore(const MemoryStore&) = delete;
  MemoryStore& operator=(const MemoryStore&) = delete;

  // A store whose top folder is `name`; the top folder's entry id is `name`, the store id
  // `storeId` (default "store:" + name).
  MemoryFolder& AddStore(const QString& name, const QString& storeId = {});

  // Makes an operation raise Error(message). `operation` is "<Class>.<Member>" after the
  // interface: "Application.GetNamespace", "Namespace.Logon", "Namespace.Logoff",
  // "Namespace.Folders", "Namespace.GetFolderFromID", "Folder.Name", "Folder.EntryID",
  // "Folder.StoreID", "Folder.Folders", "Folder.Items", "FolderCollection.Count",
  // "FolderCollection.Item", "ItemCollection.Sort", "ItemCollection.Count",
  // "ItemCollection.Item", "StoreItem.SentOn", … "StoreItem.SaveBusinessCardImage".
  // `target` narrows it: a folder's entry id (for folder, collection and item operations of that
  // folder) or a message's entry id (for that item's fetch and properties); empty matches all.
  // `times` limits how often it fires (-1: always).
  void FailOn(const QString& operation, const QString& message, const QString& target = {}, int times = -1);
  void ClearFailures();

  // A new application server over this store. It shares the store's data.
  std::unique_ptr<Application> MakeApplication();

  int logonCount() const;
  int logoffCount() const;
  // Every operation performed so far, "<Class>.<Member>" in call order (for checking call order).
  QStringList calls() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace feedwell::mailstore
