#pragma once

#include <QString>
#include <memory>

#include "common/DateTime.h"

// The mail store: every operation the program performs on a mail store, behind one interface.
// Indexes are 1-based. Every failure raises feedwell::Error carrying a message the user can act on
// ("no folder matches entry id … in store …", "item 7 of Inbox is not a mail message"); asking an
// item for a property it does not have raises too. Objects handed out stay valid while the
// Application that made them lives.
namespace feedwell::mailstore {

// One element of a folder's items: a mail message or a contact.
class StoreItem {
 public:
  virtual ~StoreItem() = default;

  // Mail message properties.
  virtual DateTime SentOn() = 0;
  virtual DateTime ReceivedTime() = 0;
  virtual QString HTMLBody() = 0;
  virtual QString SenderEmailAddress() = 0;
  virtual QString EntryID() = 0;
  virtual QString Subject() = 0;

  // Contact properties.
  virtual QString Email1Address() = 0;
  virtual QString Email2Address() = 0;
  virtual QString Email3Address() = 0;
  // Writes the contact's business card image as a bitmap (BMP) file at `path`; its square from
  // (10, 10) to (80, 80) shows the contact's picture.
  virtual void SaveBusinessCardImage(const QString& path) = 0;
};

class ItemCollection {
 public:
  virtual ~ItemCollection() = default;
  // Orders the items by `property` ("ReceivedTime"); descending puts the newest first.
  virtual void Sort(const QString& property, bool descending) = 0;
  virtual int Count() = 0;
  virtual std::unique_ptr<StoreItem> Item(int index) = 0;
};

class FolderCollection;

class Folder {
 public:
  virtual ~Folder() = default;
  virtual QString Name() = 0;
  virtual QString EntryID() = 0;
  virtual QString StoreID() = 0;
  virtual std::unique_ptr<FolderCollection> Folders() = 0;  // direct subfolders
  virtual std::unique_ptr<ItemCollection> Items() = 0;
};

class FolderCollection {
 public:
  virtual ~FolderCollection() = default;
  virtual int Count() = 0;
  virtual std::unique_ptr<Folder> Item(int index) = 0;
};

class Namespace {
 public:
  virtual ~Namespace() = default;
  virtual void Logon(const QString& profile, const QString& password, bool showDialog, bool newSession) = 0;
  virtual void Logoff() = 0;
  // The top folder of every store.
  virtual std::unique_ptr<FolderCollection> Folders() = 0;
  virtual std::unique_ptr<Folder> GetFolderFromID(const QString& entryId, const QString& storeId) = 0;
};

// The application server: not connected when made; the first operation connects it.
class Application {
 public:
  virtual ~Application() = default;
  // Only "MAPI" is known; another type raises.
  virtual std::unique_ptr<Namespace> GetNamespace(const QString& type) = 0;
};

}  // namespace feedwell::mailstore
